// Time from process start to the window being on the screen, with a
// simulated 255-conductor tester on the first port: what runProgram does up
// to the window's first expose. Prints one line of key=value figures:
//   main_ms      main's first line to the expose
//   app_ms       main's first line to the application object made
//   form_ms      ... to the window made
//   created_ms   ... to its search and count done
//   stat_ms      the process's start time in /proc/self/stat to the expose
//                (the kernel keeps it in clock ticks, usually 10 ms)
//   expose_epoch the wall-clock time of the expose, for a launcher's own clock
//   painted_ms   main's first line to the window's first paint
#include "app/message_boxes.h"
#include "tester/simulated_tester.h"
#include "app/program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWindow>

#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace {

QElapsedTimer sinceMain;

double clockMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Milliseconds since boot at which this process started; negative when unknown.
double processStartMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // starttime is field 22; the list starts at field 3.
    if (fields.size() < 20)
        return -1;
    return fields[19].toDouble() * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Answers every box with Cancel: a start-up that asks anything is not timed.
struct CancellingBoxes : MessageBoxes {
    bool askRetry(const QString &, const QString &) override { return false; }
    void showError(const QString &, const QString &) override {}
};

class ShownWatch : public QObject {
public:
    explicit ShownWatch(TForm1 &form) : form_(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched == &form_ && paintedMs_ < 0)
            paintedMs_ = sinceMain.nsecsElapsed() / 1e6;
        if (event->type() == QEvent::Expose && exposeMs_ < 0 && form_.windowHandle() == watched
            && form_.windowHandle()->isExposed()) {
            exposeMs_ = sinceMain.nsecsElapsed() / 1e6;
            exposeBootMs_ = clockMs(CLOCK_BOOTTIME);
            exposeEpochMs_ = clockMs(CLOCK_REALTIME);
        }
        if (exposeMs_ >= 0 && paintedMs_ >= 0 && !done_) {
            done_ = true;
            form_.Panel5Click();
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }

public:
    double exposeMs_ = -1, exposeBootMs_ = -1, exposeEpochMs_ = -1, paintedMs_ = -1;

private:
    TForm1 &form_;
    bool done_ = false;
};

} // namespace

int main(int argc, char *argv[])
{
    sinceMain.start();
    QApplication app(argc, argv);
    const double appMs = sinceMain.nsecsElapsed() / 1e6;

    app.setWindowIcon(programIcon());

    auto port = std::make_unique<SimulatedComPort>();
    port->addTester(QStringLiteral("COM1"), 255);
    port->addPort(QStringLiteral("COM2"), SimulatedComPort::PortKind::Silent);
    port->setRecording(false);
    FormParts parts = formPartsWithPort(std::move(port));
    parts.messageBoxes = std::make_unique<CancellingBoxes>();

    TForm1 form(std::move(parts));
    const double formMs = sinceMain.nsecsElapsed() / 1e6;
    ShownWatch watch(form);
    app.installEventFilter(&watch);
    form.create();
    const double createdMs = sinceMain.nsecsElapsed() / 1e6;
    form.show();
    app.exec();
    app.removeEventFilter(&watch);

    if (watch.exposeMs_ < 0 || form.state.wirecount != 255) {
        std::printf("error: window not shown or tester not counted (%d conductors)\n", form.state.wirecount);
        return 1;
    }
    const double startMs = processStartMs();
    std::printf("platform=%s main_ms=%.1f app_ms=%.1f form_ms=%.1f created_ms=%.1f painted_ms=%.1f stat_ms=%.0f expose_epoch_ms=%.3f\n",
                qPrintable(QGuiApplication::platformName()), watch.exposeMs_, appMs, formMs, createdMs, watch.paintedMs_,
                startMs < 0 ? -1.0 : watch.exposeBootMs_ - startMs, watch.exposeEpochMs_);
    return 0;
}
