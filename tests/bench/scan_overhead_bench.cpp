// How much the scan itself costs on top of the line calls: the real pass in
// the real window over a simulated port that costs nothing, against a bare
// loop making the same line calls on the same port.
//
//   prozvonka-bench-scan [benchmark flags]   the figures
//   prozvonka-bench-scan --passes=N          N passes and nothing else, for a profiler
#include "bench_summary.h"

#include "scan/stepping_scan.h"
#include "tester/tester_lines.h"
#include "tests/test_support.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

constexpr int conductors = 37;

// The window scanning a tester on which nothing rings, so that every pass is
// the short one: advance, step pulse, pump, marker test, pump, continuity test.
struct ScanRig {
    SimulatedComPort *port;
    Sleeper *sleeper;
    std::unique_ptr<TForm1> form;

    // An empty pump leaves QApplication::processEvents to the window.
    explicit ScanRig(std::function<void()> pump = {})
    {
        auto portOwned = std::make_unique<SimulatedComPort>();
        auto sleeperOwned = std::make_unique<VirtualClock>();
        port = portOwned.get();
        sleeper = sleeperOwned.get();
        port->addTester("COM1", conductors);
        port->setRecording(false);

        FormParts parts;
        parts.comPort = std::move(portOwned);
        parts.mediaPlayer = std::make_unique<RecordingPlayer>();
        parts.messageBoxes = std::make_unique<ScriptedMessageBoxes>();
        parts.sleeper = std::move(sleeperOwned);
        parts.processMessages = std::move(pump);
        form = std::make_unique<TForm1>(std::move(parts));
        form->create();
        // poisk is entered from the timer's handler, which has stopped it.
        form->Timer1->stop();
        form->show();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 100)
            QApplication::processEvents();
    }

    bool ready() const { return form->state.wirecount == conductors && port->connected(); }

    SteppingScan scan() { return SteppingScan(form->state, *port, *form->MediaPlayer1, *form, *sleeper); }
};

// Made on first use and destroyed before the application object.
std::unique_ptr<ScanRig> windowRig_, noPumpRig_;

ScanRig &windowRig()
{
    if (!windowRig_)
        windowRig_ = std::make_unique<ScanRig>();
    return *windowRig_;
}

ScanRig &noPumpRig()
{
    if (!noPumpRig_)
        noPumpRig_ = std::make_unique<ScanRig>([] {});
    return *noPumpRig_;
}

void runPasses(benchmark::State &state, ScanRig &rig)
{
    if (!rig.ready()) {
        state.SkipWithError("the window did not find the simulated tester");
        return;
    }
    SteppingScan scan = rig.scan();
    for (auto _ : state)
        scan.runPass();
    state.SetItemsProcessed(state.iterations());
}

void ScanPass(benchmark::State &state)
{
    runPasses(state, windowRig());
}
BENCHMARK(ScanPass);

void BareLineCalls(benchmark::State &state)
{
    ScanRig &rig = windowRig();
    TBComPort &port = *rig.port;
    for (auto _ : state) {
        stepPulse(port);
        benchmark::DoNotOptimize(markerPresent(port));
        benchmark::DoNotOptimize(continuityPresent(port));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BareLineCalls);

// The same pass with pumps that do nothing: what is left is the pass's own code.
void ScanPassWithoutPump(benchmark::State &state)
{
    runPasses(state, noPumpRig());
}
BENCHMARK(ScanPassWithoutPump);

// One pump of the window's idle event loop.
void ProcessEvents(benchmark::State &state)
{
    windowRig();
    for (auto _ : state)
        QApplication::processEvents();
}
BENCHMARK(ProcessEvents);

void printFigures(const KeepingReporter &reporter)
{
    const double pass = reporter.fastestSeconds("ScanPass");
    const double bare = reporter.fastestSeconds("BareLineCalls");
    const double noPump = reporter.fastestSeconds("ScanPassWithoutPump");
    const double pump = reporter.fastestSeconds("ProcessEvents");
    if (pass <= 0 || bare <= 0) {
        std::printf("scan overhead: not measured\n");
        return;
    }
    const double overheadUs = (pass - bare) * 1e6;
    const double medianOverheadUs = (reporter.medianSeconds("ScanPass") - reporter.medianSeconds("BareLineCalls")) * 1e6;
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    std::printf("\nevent dispatcher: %s, platform: %s (fastest of the repetitions)\n",
                dispatcher ? dispatcher->metaObject()->className() : "none",
                qPrintable(QGuiApplication::platformName()));
    std::printf("scan pass in the window:  %10.0f passes/s  (%.3f us)\n", 1 / pass, pass * 1e6);
    std::printf("bare line-call loop:      %10.0f passes/s  (%.3f us)\n", 1 / bare, bare * 1e6);
    std::printf("ratio pass/bare time:     %10.1f\n", pass / bare);
    if (noPump > 0 && pump > 0)
        std::printf("of which: pass without pumps %.3f us, one processEvents %.3f us (x2 per pass)\n",
                    noPump * 1e6, pump * 1e6);
    std::printf("overhead from the medians instead: %.2f us\n", medianOverheadUs);
    std::printf("FIGURE scan overhead: %.2f us per pass   (target <= 3 us: %s)\n", overheadUs,
                overheadUs <= 3 ? "met" : "MISSED");
}

int runForProfiler(long passes)
{
    ScanRig &rig = windowRig();
    if (!rig.ready()) {
        std::fprintf(stderr, "the window did not find the simulated tester\n");
        return 1;
    }
    SteppingScan scan = rig.scan();
    for (long i = 0; i < passes; ++i)
        scan.runPass();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const std::string passes = optionValue(argc, argv, "passes");
    int status = 0;
    if (!passes.empty()) {
        status = runForProfiler(std::stol(passes));
    } else {
        KeepingReporter reporter;
        runBenchmarks(argc, argv, reporter);
        printFigures(reporter);
    }
    noPumpRig_.reset();
    windowRig_.reset();
    return status;
}
