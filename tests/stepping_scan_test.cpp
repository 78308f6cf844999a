// The endless scan: what each pass does on the lines and on the screen, its
// count check against the marker, and how the controls and errors reach it.
#include "scan/stepping_scan.h"

#include "app/error_box.h"
#include "app/panel.h"
#include "test_support.h"

#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The window, the player and the clock as one record of events, with the
// port's calls merged in where they happened.
struct ScanRecorder : ScanDisplay, TMediaPlayer, Sleeper {
    SimulatedComPort &port;
    QStringList events;
    std::size_t portCallsSeen = 0;
    int clipLength = 700;
    std::function<void(const QString &)> onEvent;

    explicit ScanRecorder(SimulatedComPort &p) : port(p) {}

    void log(const QString &event)
    {
        const QStringList calls = port.callLog();
        for (; portCallsSeen < std::size_t(calls.size()); ++portCallsSeen)
            events << calls[int(portCallsSeen)];
        events << event;
        if (onEvent)
            onEvent(event);
    }
    void flush() { log("end"); events.removeLast(); }

    void processMessages() override { log("pump"); }
    void showConductor(const QString &number) override { log("show " + number); }
    void hideConductor() override { log("hide"); }
    void setStatusText(const QString &text) override { log("status text '" + text + "'"); }
    void showMissingClip(const QString &message) override { log("missing '" + message + "'"); }
    void hideMissingClip() override { log("missing hidden"); }
    void setFileName(const QString &name) override { log("player file " + name); }
    void open() override { log("player open"); }
    int length() override { return clipLength; }
    void play() override { log("player play"); }
    void close() override { log("player close"); }
    void sleep(int ms) override { log("sleep " + QString::number(ms)); }
};

// A tester left by the search at its marker, and a scan over it, in a
// directory of its own for the clips.
struct ScanBench {
    ClipsDirectory clips;
    SimulatedComPort port;
    SimulatedTester *tester;
    TesterState state;
    ScanRecorder recorder{port};
    SteppingScan scan{state, port, recorder, recorder, recorder};

    explicit ScanBench(int positions, std::initializer_list<int> ringing = {})
    {
        tester = &port.addTester("COM1", positions, positions);
        for (int pos : ringing)
            tester->setRinging(pos, true);
        port.setPort("COM1");
        port.open();
        port.setRTS(true);
        port.clearCalls();
        state.wirecount = quint8(positions);
        state.soundon = true;
    }

    // The events of the next pass.
    QStringList pass()
    {
        recorder.events.clear();
        scan.runPass();
        recorder.flush();
        return recorder.events;
    }
};

const QStringList quietPass{"DTR-", "DTR+", "pump", "status", "pump", "status"};

QStringList passAnnouncing(const QStringList &announcement)
{
    return QStringList(quietPass) << announcement << "hide" << "pump";
}

TEST(ScanPass, WhatAConductorThatRingsThroughShows)
{
    struct Case {
        const char *name;
        bool soundOn;
        bool clipPresent;
        QStringList announcement;
    };
    const Case cases[] = {
        {"sound on, clip present", true, true,
         {"show 3", "pump", "player file 3.wav", "player open", "status text '700  '", "player play", "pump",
          "sleep 700", "player close", "status text ''", "pump"}},
        {"sound on, clip missing", true, false,
         {"show 3", "pump", "missing 'Отсутствует звуковой файл 3.wav '", "pump", "sleep 400", "missing hidden",
          "pump"}},
        {"sound off, clip present", false, true, {"show 3", "pump", "sleep 400"}},
    };
    for (const Case &c : cases) {
        ScanBench bench(4, {3});
        bench.state.soundon = c.soundOn;
        if (c.clipPresent)
            bench.clips.addEmptyFile("3.wav");
        EXPECT_EQ(bench.pass(), quietPass) << c.name;
        EXPECT_EQ(bench.pass(), quietPass) << c.name;
        EXPECT_EQ(bench.pass(), passAnnouncing(c.announcement)) << c.name;
        EXPECT_EQ(bench.state.curwire, 3);
    }
}

TEST(ScanPass, DirectoryNamedLikeAClipCountsAsMissing)
{
    ScanBench bench(1, {1});
    QDir(bench.clips.dir.path()).mkdir("1.wav");
    EXPECT_TRUE(bench.pass().contains("missing 'Отсутствует звуковой файл 1.wav '"));
}

TEST(ScanPass, CountRunsRoundTheTesterAndMarkerIsExpectedAtTheLast)
{
    for (int positions : {1, 2, 255}) {
        ScanBench bench(positions);
        QList<int> seen;
        for (int i = 0; i < positions + 2; ++i) {
            const QStringList events = bench.pass();
            const bool atLast = bench.state.curwire == positions;
            // At the last conductor the marker test reads the lines twice.
            EXPECT_EQ(events.count("status"), atLast ? 3 : 2) << positions;
            seen << bench.state.curwire;
        }
        EXPECT_EQ(seen.first(), 1);
        EXPECT_EQ(seen[positions - 1], positions);
        EXPECT_EQ(seen[positions], 1) << "after conductor " << positions << " comes 1";
        EXPECT_FALSE(bench.recorder.events.join(' ').contains("ош.счета"));
    }
}

TEST(ScanPass, EarlyMarkerIsACountErrorAndResynchronises)
{
    ScanBench bench(8, {8});
    bench.state.curwire = 4; // the scan believes the tester is at 5 after the next pulse
    bench.tester->position = 7;
    bench.state.soundon = false;

    const QStringList events = bench.pass();
    EXPECT_EQ(events.mid(0, 8), QStringList({"DTR-", "DTR+", "pump", "status", "status", "status text 'ош.счета'",
                                             "pump", "status"}));
    EXPECT_EQ(bench.state.curwire, 8);
    EXPECT_TRUE(events.contains("show 8")) << "the same pass reports the conductor the marker stands at";
}

TEST(ScanPass, LostAndExtraPulsesAreCaughtAtTheNextMarker)
{
    struct Case {
        const char *name;
        void (SimulatedComPort::*fault)();
        int errorPass; // the pass, counted from 1, whose marker shows the error
    };
    const Case cases[] = {
        // Pass 3 loses its pulse: the tester is one behind, the scan's conductor 8 passes
        // unnoticed, and the marker comes at the scan's conductor 1.
        {"lost pulse", &SimulatedComPort::loseNextPulse, 9},
        // Pass 3 gains one: the marker comes one pass early, at the scan's conductor 7.
        {"extra pulse", &SimulatedComPort::addExtraPulse, 7},
    };
    for (const Case &c : cases) {
        ScanBench bench(8);
        for (int pass = 1; pass <= 20; ++pass) {
            if (pass == 3)
                (bench.port.*c.fault)();
            const bool error = bench.pass().contains("status text 'ош.счета'");
            EXPECT_EQ(error, pass == c.errorPass) << c.name << ", pass " << pass;
            if (pass < 3 || pass >= c.errorPass)
                EXPECT_EQ(bench.state.curwire, bench.tester->position) << c.name << ", pass " << pass;
        }
    }
}

TEST(ScanPass, SoundControlTakesEffectInTheSamePassFromEachPump)
{
    // Pumps 1 and 2 come before the continuity test, pump 3 right after the number is shown.
    for (int pump : {1, 2, 3}) {
        ScanBench bench(2, {1});
        bench.clips.addEmptyFile("1.wav");
        int pumps = 0;
        bench.recorder.onEvent = [&](const QString &event) {
            if (event == "pump" && ++pumps == pump)
                bench.state.soundon = false;
        };
        const QStringList events = bench.pass();
        EXPECT_FALSE(events.contains("player open")) << "pump " << pump;
        EXPECT_TRUE(events.contains("sleep 400")) << "pump " << pump;
    }
}

// The scan inside the real window, started by its timer.
struct ScanningWindow : FormHarness {
    ClipsDirectory clips;

    ScanningWindow(int positions, std::initializer_list<int> ringing)
    {
        auto &t = port->addTester("COM1", positions);
        for (int pos : ringing)
            t.setRinging(pos, true);
        form->create();
        form->show();
    }
};

TEST(ScanInWindow, AnnouncesOnTheWidgetsAndExitEndsThePassThenCloses)
{
    ScanningWindow w(3, {2});
    w.clips.addEmptyFile("2.wav");
    w.player->clipLength = 900;
    QStringList seenAtSleep;
    w.clock->duringSleep = [&](int) {
        seenAtSleep << w.form->Panel2->text() << QString::number(w.form->Panel2->isVisible())
                    << w.form->Label2->text();
        w.form->Panel5->clicked(); // not handled until the next pump
        EXPECT_FALSE(w.form->close()) << "the close command waits for the scan to end";
    };
    w.form->Timer1Timer();

    EXPECT_EQ(seenAtSleep, QStringList({"2", "1", "900  "}));
    EXPECT_EQ(w.player->log, QStringList({"file 2.wav", "open", "play", "close"}));
    EXPECT_EQ(w.clock->sleeps, std::vector<int>{900});
    EXPECT_TRUE(w.form->Panel2->isHidden()) << "the pass ran to its end";
    EXPECT_EQ(w.form->Label2->text(), "");
    EXPECT_EQ(w.form->state.curwire, 2);
    EXPECT_FALSE(w.form->isVisible()) << "closed after the scan";
    EXPECT_FALSE(w.form->Timer1->isActive());
}

TEST(ScanInWindow, MissingClipMessageShowsForItsHold)
{
    ScanningWindow w(12, {12});
    bool shownDuringSleep = false;
    w.clock->duringSleep = [&](int ms) {
        shownDuringSleep = ms == 400 && w.form->Label1->isVisible() &&
                           w.form->Label1->text() == QStringLiteral("Отсутствует звуковой файл 12.wav ");
        w.form->state.exitflag = true;
    };
    w.form->Timer1Timer();
    EXPECT_TRUE(shownDuringSleep);
    EXPECT_TRUE(w.form->Label1->isHidden());
}

TEST(ScanInWindow, ExitPressedAtAPumpEndsThatPass)
{
    ScanningWindow w(5, {});
    w.atPump = [&](int pump) {
        if (pump == 2 + 7) // start-up pumps twice; then the 4th pass's first pump
            w.form->Panel5->clicked();
    };
    w.form->Timer1Timer();
    EXPECT_EQ(w.form->state.curwire, 4);
    EXPECT_FALSE(w.form->isVisible());
}

TEST(ScanInWindow, ErrorInAPassEndsTheScanInTheErrorBoxAndLeavesTheWindowIdle)
{
    using Call = SimulatedComPort::CallKind;
    const QString lineFailed = QStringLiteral("Ошибка функции EscapeCommFunction.");
    const QString statusFailed = QStringLiteral("Ошибка функции GetCommModemStatus.");
    const auto portVanishesAt = [](Call kind, int nth) {
        return [=](ScanningWindow &w) { w.port->failFrom(kind, nth); };
    };
    struct Case {
        const char *name;
        std::function<void(ScanningWindow &)> fault;
        QString message;
    };
    // Counted from the scan's first call: pass 3 is the one at the marker, and
    // conductor 2 rings through, so each place a line call can fail is reached.
    const Case cases[] = {
        {"pulse, DTR low", portVanishesAt(Call::SetDTR, 5), lineFailed},
        {"pulse, DTR high", portVanishesAt(Call::SetDTR, 6), lineFailed},
        {"marker test, first read", portVanishesAt(Call::ReadStatus, 5), statusFailed},
        {"marker test, second read", portVanishesAt(Call::ReadStatus, 6), statusFailed},
        {"continuity test", portVanishesAt(Call::ReadStatus, 4), statusFailed},
        {"clip that cannot be opened",
         [](ScanningWindow &w) {
             w.clips.addEmptyFile("2.wav");
             w.player->openFailure = "2.wav: File contains data in an unknown format";
         },
         "2.wav: File contains data in an unknown format."},
    };
    for (const Case &c : cases) {
        ScanningWindow w(3, {2});
        w.port->clearCalls();
        c.fault(w);
        // Fired by the timer itself, so the error goes through the window's handler guard.
        w.form->Timer1->setInterval(0);
        QCoreApplication::processEvents();
        EXPECT_EQ(w.boxes->errorTexts, QStringList({c.message})) << c.name;
        EXPECT_TRUE(w.form->isVisible()) << c.name;
        EXPECT_FALSE(w.form->Timer1->isActive()) << c.name;
        EXPECT_FALSE(w.form->scanRunning()) << c.name;
        w.form->Panel5->clicked();
        EXPECT_TRUE(w.form->isVisible()) << "nothing reads the exit request any more: " << c.name;
        EXPECT_TRUE(w.form->close()) << "the close command ends it: " << c.name;
    }
}

} // namespace
