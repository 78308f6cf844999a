#include "bench_summary.h"

#include <algorithm>

void KeepingReporter::ReportRuns(const std::vector<Run> &runs)
{
    // Repeated runs are shown only as their aggregates, but kept one by one.
    std::vector<Run> shown;
    for (const Run &run : runs)
        if (run.run_type == Run::RT_Aggregate || run.repetitions <= 1)
            shown.push_back(run);
    if (!shown.empty())
        ConsoleReporter::ReportRuns(shown);
    for (const Run &run : runs) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
            continue;
        times_[run.run_name.function_name].push_back(run.real_accumulated_time / double(run.iterations));
    }
}

double KeepingReporter::medianSeconds(const std::string &name) const
{
    const auto it = times_.find(name);
    if (it == times_.end() || it->second.empty())
        return 0;
    std::vector<double> times = it->second;
    std::sort(times.begin(), times.end());
    const size_t mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

double KeepingReporter::fastestSeconds(const std::string &name) const
{
    const auto it = times_.find(name);
    if (it == times_.end() || it->second.empty())
        return 0;
    return *std::min_element(it->second.begin(), it->second.end());
}

void runBenchmarks(int argc, char **argv, KeepingReporter &reporter)
{
    std::vector<std::string> args(argv, argv + argc);
    const auto given = [&](const std::string &flag) {
        return std::any_of(args.begin(), args.end(), [&](const std::string &a) { return a.rfind(flag, 0) == 0; });
    };
    if (!given("--benchmark_repetitions"))
        args.push_back("--benchmark_repetitions=15");
    if (!given("--benchmark_enable_random_interleaving"))
        args.push_back("--benchmark_enable_random_interleaving=true");
    if (!given("--benchmark_min_time"))
        args.push_back("--benchmark_min_time=0.1");

    std::vector<char *> pointers;
    for (std::string &a : args)
        pointers.push_back(a.data());
    int count = int(pointers.size());
    pointers.push_back(nullptr);
    benchmark::Initialize(&count, pointers.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

std::string optionValue(int argc, char **argv, const std::string &name, const std::string &fallback)
{
    const std::string prefix = "--" + name + "=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(prefix, 0) == 0)
            return arg.substr(prefix.size());
    }
    return fallback;
}
