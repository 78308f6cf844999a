// The window scanning a simulated 37-conductor tester for a while, announcing
// its ringing conductors with the clips in the current directory through the
// real player, as the program runs. Its peak resident memory is measured from
// outside (/usr/bin/time -v) and printed from /proc/self/status at the end.
//
//   prozvonka-bench-memory [--seconds=10]
#include "app/message_boxes.h"
#include "tester/simulated_tester.h"
#include "app/program.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct CancellingBoxes : MessageBoxes {
    bool askRetry(const QString &, const QString &) override { return false; }
    void showError(const QString &caption, const QString &text) override
    {
        std::fprintf(stderr, "error box: %s: %s\n", qPrintable(caption), qPrintable(text));
    }
};

QByteArray statusLine(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(std::strlen(key)).trimmed();
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int seconds = 10;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--seconds=", 10) == 0)
            seconds = std::atoi(argv[i] + 10);

    app.setWindowIcon(programIcon());

    auto port = std::make_unique<SimulatedComPort>();
    SimulatedTester &tester = port->addTester(QStringLiteral("COM1"), 37);
    for (int pos : {1, 7, 12, 19, 25, 37})
        tester.setRinging(pos, true);
    // The call record would grow with every line call of a full-speed scan.
    port->setRecording(false);
    FormParts parts = formPartsWithPort(std::move(port));
    parts.messageBoxes = std::make_unique<CancellingBoxes>();

    TForm1 form(std::move(parts));
    form.create();
    form.show();
    // Seen by one of the scan's pumps: the exit control, as the operator would press it.
    QTimer::singleShot(seconds * 1000, &form, [&form] { form.Panel5Click(); });
    app.exec();

    std::printf("conductors=%d VmHWM=%s VmRSS=%s (RssAnon=%s RssFile=%s)\n", form.state.wirecount,
                statusLine("VmHWM:").constData(), statusLine("VmRSS:").constData(),
                statusLine("RssAnon:").constData(), statusLine("RssFile:").constData());
    return 0;
}
