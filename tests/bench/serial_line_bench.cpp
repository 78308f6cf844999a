// The real port layer on the machine's first serial port: step pulse, marker
// test and continuity test through SerialPortQt, against a bare loop of the
// same ioctl calls on the descriptor the port layer holds. This is the one
// benchmark that opens a real device: whatever is plugged into /dev/ttyS0
// sees DTR go up and down. It skips where the port is absent or cannot be
// opened, and closes the port at the end, which drops DTR and RTS.
//
//   prozvonka-bench-serial [benchmark flags]          the figures
//   prozvonka-bench-serial --ops=N --layer=port|bare  N operations and nothing else, then
//                                                     the line calls made, for strace

#include "bench_summary.h"

#include "tester/serial_port_qt.h"
#include "tester/tester_lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <memory>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char *const device = "/dev/ttyS0";

// Counts the line calls the port layer is asked to make.
class CountingPort : public SerialPortQt {
public:
    long lineCalls = 0;

    void setDTR(bool on) override
    {
        ++lineCalls;
        SerialPortQt::setDTR(on);
    }
    unsigned readStatus() override
    {
        ++lineCalls;
        return SerialPortQt::readStatus();
    }
};

SerialPortQt *port = nullptr;
CountingPort *countingPort = nullptr; // only when counting system calls
int portFd = -1;

// The descriptor the port layer opened the device on: the one link to it in
// /proc/self/fd, since nothing else in this process opens it.
int descriptorOf(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QFileInfoList links = QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files);
    int found = -1;
    for (const QFileInfo &link : links) {
        if (link.symLinkTarget() != canonical)
            continue;
        if (found != -1)
            return -1;
        found = link.fileName().toInt();
    }
    return found;
}

void portLayerOperation(TBComPort &p)
{
    stepPulse(p);
    benchmark::DoNotOptimize(markerPresent(p));
    benchmark::DoNotOptimize(continuityPresent(p));
}

// The same calls as the port layer makes: DTR down and up, the status read
// (again when DSR is on) and the status read for continuity.
long bareOperation(int fd)
{
    static const int dtr = TIOCM_DTR;
    int bits = 0;
    ::ioctl(fd, TIOCMBIC, &dtr);
    ::ioctl(fd, TIOCMBIS, &dtr);
    ::ioctl(fd, TIOCMGET, &bits);
    long calls = 4;
    if (bits & TIOCM_DSR) {
        ::ioctl(fd, TIOCMGET, &bits);
        ++calls;
    }
    ::ioctl(fd, TIOCMGET, &bits);
    benchmark::DoNotOptimize(bits);
    return calls;
}

void PortLayer(benchmark::State &state)
{
    for (auto _ : state)
        portLayerOperation(*port);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PortLayer);

void BareIoctl(benchmark::State &state)
{
    for (auto _ : state)
        bareOperation(portFd);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BareIoctl);

void printFigures(const KeepingReporter &reporter)
{
    const double layer = reporter.fastestSeconds("PortLayer");
    const double bare = reporter.fastestSeconds("BareIoctl");
    if (layer <= 0 || bare <= 0) {
        std::printf("real line calls: not measured\n");
        return;
    }
    const double ratio = bare / layer;
    std::printf("\nfastest of the repetitions:\n");
    std::printf("port layer (SerialPortQt): %10.0f operations/s  (%.3f us)\n", 1 / layer, layer * 1e6);
    std::printf("bare ioctl loop:           %10.0f operations/s  (%.3f us)\n", 1 / bare, bare * 1e6);
    std::printf("ratio from the medians instead: %.3f\n",
                reporter.medianSeconds("BareIoctl") / reporter.medianSeconds("PortLayer"));
    std::printf("FIGURE real line calls: port layer / bare = %.3f   (target >= 0.95: %s)\n", ratio,
                ratio >= 0.95 ? "met" : "MISSED");
}

// N operations, then the number of line calls they made on stdout.
long runOperations(long ops, bool bare)
{
    long lineCalls = 0;
    for (long i = 0; i < ops; ++i) {
        if (bare) {
            lineCalls += bareOperation(portFd);
        } else {
            portLayerOperation(*port);
        }
    }
    return bare ? lineCalls : countingPort->lineCalls;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (::access(device, F_OK) != 0) {
        std::printf("real line calls: skipped, %s does not exist\n", device);
        return 0;
    }
    const std::string ops = optionValue(argc, argv, "ops");
    std::unique_ptr<SerialPortQt> owned;
    if (ops.empty()) {
        owned = std::make_unique<SerialPortQt>();
    } else {
        auto counting = std::make_unique<CountingPort>();
        countingPort = counting.get();
        owned = std::move(counting);
    }
    port = owned.get();
    port->setPort(QStringLiteral("ttyS0"));
    try {
        port->open();
    } catch (const EComPort &e) {
        std::printf("real line calls: skipped, %s cannot be opened: %s\n", device, e.what());
        return 0;
    }
    portFd = descriptorOf(QString::fromLatin1(device));
    int bits = 0;
    if (portFd == -1 || ::ioctl(portFd, TIOCMGET, &bits) == -1) {
        std::printf("real line calls: skipped, no modem lines behind %s\n", device);
        port->close();
        return 0;
    }

    if (!ops.empty()) {
        const bool bare = optionValue(argc, argv, "layer") == "bare";
        std::printf("%ld\n", runOperations(std::stol(ops), bare));
    } else {
        std::printf("%s: CTS %d DSR %d DCD %d; the marker test reads the lines %s\n", device,
                    !!(bits & TIOCM_CTS), !!(bits & TIOCM_DSR), !!(bits & TIOCM_CAR),
                    (bits & TIOCM_DSR) ? "twice" : "once");
        KeepingReporter reporter;
        runBenchmarks(argc, argv, reporter);
        printFigures(reporter);
    }
    // Drops DTR and RTS.
    port->close();
    return 0;
}
