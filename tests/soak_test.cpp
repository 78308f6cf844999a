// Hours of scanning, compressed: a million passes over a tester that now and
// then loses or gains a pulse, with conductors ringing through at random.
#include "scan/stepping_scan.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace {

// Checks that the screen is only ever in a state the scan can leave it in.
struct ConsistentScreen : ScanDisplay {
    bool conductorShown = false;
    bool missingShown = false;
    QString conductor;
    long long announcements = 0;
    long long countErrors = 0;
    long long faults = 0;

    void fault() { ++faults; }
    void processMessages() override {}
    void showConductor(const QString &number) override
    {
        if (conductorShown)
            fault();
        conductorShown = true;
        conductor = number;
        ++announcements;
    }
    void hideConductor() override
    {
        if (!conductorShown || missingShown)
            fault();
        conductorShown = false;
    }
    void setStatusText(const QString &text) override { countErrors += text == QStringLiteral("ош.счета"); }
    void showMissingClip(const QString &) override
    {
        if (!conductorShown || missingShown)
            fault();
        missingShown = true;
    }
    void hideMissingClip() override
    {
        if (!missingShown)
            fault();
        missingShown = false;
    }
};

struct CountingPlayer : TMediaPlayer {
    long long opens = 0, closes = 0;
    void setFileName(const QString &) override {}
    void open() override { ++opens; }
    int length() override { return 300; }
    void play() override {}
    void close() override { ++closes; }
};

struct IdleClock : Sleeper {
    long long now = 0;
    void sleep(int ms) override { now += ms; }
};

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

#ifdef PROZVONKA_SANITIZED
constexpr bool residentSizeIsMeaningful = false; // the sanitizer's quarantine grows by design
#else
constexpr bool residentSizeIsMeaningful = true;
#endif

TEST(Soak, MillionPassesStayInStepAndInShape)
{
    ClipsDirectory clips;
    for (int n : {2, 5, 13}) // some clips present, the rest missing
        clips.addEmptyFile(QString::number(n) + ".wav");

    constexpr int positions = 24;
    SimulatedComPort port;
    port.setRecording(false);
    SimulatedTester &tester = port.addTester("COM1", positions, positions);
    port.setPort("COM1");
    port.open();
    port.setRTS(true);

    TesterState state;
    state.wirecount = positions;
    state.soundon = true;
    ConsistentScreen screen;
    CountingPlayer player;
    IdleClock clock;
    SteppingScan scan(state, port, player, screen, clock);

    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> percent(0, 999);
    long long faultsInjected = 0, outOfStepAtMarker = 0, shownNotCurrent = 0;
    long residentAfterWarmUp = 0;
    constexpr long passes = 1'000'000;
    for (long pass = 0; pass < passes; ++pass) {
        if (pass == passes / 10)
            residentAfterWarmUp = residentKilobytes();
        const int roll = percent(random);
        if (roll == 0) {
            port.loseNextPulse();
            ++faultsInjected;
        } else if (roll == 1) {
            port.addExtraPulse();
            ++faultsInjected;
        } else if (roll < 40) {
            tester.setRinging(1 + percent(random) % positions, roll < 20);
        } else if (roll < 42) {
            state.soundon = !state.soundon;
        }

        const long long announcedBefore = screen.announcements;
        scan.runPass();

        // The marker test follows the pulse, so a tester at its last conductor has just been seen there.
        outOfStepAtMarker += tester.position == positions && state.curwire != positions;
        if (screen.announcements != announcedBefore)
            shownNotCurrent += screen.conductor != QString::number(state.curwire);
        if (screen.conductorShown || screen.missingShown)
            screen.fault();
    }
    EXPECT_EQ(outOfStepAtMarker, 0);
    EXPECT_EQ(shownNotCurrent, 0);
    EXPECT_EQ(screen.faults, 0);
    EXPECT_EQ(player.opens, player.closes);
    EXPECT_GT(screen.announcements, passes / 50) << "the cable rang through now and then";
    EXPECT_GT(screen.countErrors, 0);
    EXPECT_LE(screen.countErrors, faultsInjected);
    if (residentSizeIsMeaningful)
        EXPECT_LT(residentKilobytes() - residentAfterWarmUp, 2048) << "memory grew while scanning";
}

} // namespace
