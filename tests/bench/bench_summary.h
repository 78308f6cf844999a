#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Shows the runs as the console reporter does and keeps each benchmark's time
// per iteration, so that the figures can be worked out once all have run.
class KeepingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override;

    // Over the repetitions, in seconds per iteration; 0 when the benchmark did
    // not run or failed. On a shared machine the fastest repetition is the one
    // least disturbed by other work, so the figures are taken from it.
    double medianSeconds(const std::string &name) const;
    double fastestSeconds(const std::string &name) const;

private:
    std::map<std::string, std::vector<double>> times_;
};

// Runs the registered benchmarks with 15 randomly interleaved repetitions
// unless the command line asks otherwise, so that figures compared side by
// side share the machine's slow and fast moments.
void runBenchmarks(int argc, char **argv, KeepingReporter &reporter);

// The value of --name=value on the command line, or fallback.
std::string optionValue(int argc, char **argv, const std::string &name, const std::string &fallback = {});
