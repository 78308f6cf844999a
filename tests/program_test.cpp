// The program's whole run as main() makes it, over a simulated port: start-up,
// the scan, the exit control, and the port closed on the way out.
#include "app/panel.h"
#include "app/program.h"
#include "test_support.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Outlives the window, which owns the boxes, so the last error box can be read.
struct BoxesThatReport : ScriptedMessageBoxes {
    QStringList *errorsSeen;
    void showError(const QString &caption, const QString &text) override
    {
        ScriptedMessageBoxes::showError(caption, text);
        *errorsSeen << text;
    }
};

struct ProgramRun {
    QStringList errors;
    SimulatedComPort *port;
    FormParts parts;
    int pumps = 0;

    ProgramRun()
    {
        auto simulated = std::make_unique<SimulatedComPort>();
        port = simulated.get();
        auto boxes = std::make_unique<BoxesThatReport>();
        boxes->errorsSeen = &errors;
        parts.comPort = std::move(simulated);
        parts.messageBoxes = std::move(boxes);
        parts.mediaPlayer = std::make_unique<RecordingPlayer>();
        parts.sleeper = std::make_unique<VirtualClock>();
        // The operator presses exit a little into the scan.
        parts.processMessages = [this] {
            if (++pumps == 20)
                for (QWidget *window : QApplication::topLevelWidgets())
                    if (auto *exit = window->findChild<TPanel *>("Panel5"))
                        emit exit->clicked();
            QApplication::processEvents();
        };
    }

    int run()
    {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(20000);
        return runProgram(*qApp, std::move(parts));
    }
};

TEST(Program, RunsFromStartUpThroughTheScanToExit)
{
    ProgramRun program;
    program.port->addTester("COM1", 6);
    EXPECT_EQ(program.run(), 0);
    EXPECT_TRUE(program.errors.isEmpty());
    EXPECT_EQ(program.pumps, 20) << "the scan ran, and ended at the end of the pass exit was pressed in";
}

TEST(Program, FailingCloseAtExitIsReportedAndTheProgramStillEnds)
{
    ProgramRun program;
    program.port->addTester("COM1", 6);
    program.port->failFrom(SimulatedComPort::CallKind::Purge, 1, "COM1");
    EXPECT_EQ(program.run(), 0);
    EXPECT_EQ(program.errors, QStringList({QStringLiteral("Ошибка функции PurgeComm.")}));
}

} // namespace
