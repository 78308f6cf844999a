// The port operations behind each tester operation, and the rules of the port component itself.
#include "tester/tester_lines.h"

#include "tester/simulated_tester.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct OpenedPort {
    SimulatedComPort port;
    SimulatedTester *tester;
    OpenedPort()
    {
        tester = &port.addTester("COM1", 5);
        port.setPort("COM1");
        port.open();
        port.setRTS(true);
        port.clearCalls();
    }
};

struct LineCase {
    const char *name;
    int testerPosition;
    std::function<bool(TBComPort &)> operation;
    bool result;
    QStringList calls;
};

TEST(TesterLines, EachOperationMakesItsFixedCalls)
{
    const auto enable = [](TBComPort &p) { enableTester(p); return false; };
    const auto pulse = [](TBComPort &p) { stepPulse(p); return false; };
    const LineCase cases[] = {
        {"enable", 1, enable, false, {"RTS+"}},
        {"step pulse", 1, pulse, false, {"DTR-", "DTR+"}},
        {"marker test, DSR off", 1, markerPresent, false, {"status"}},
        {"marker test, DSR and RLSD on", 5, markerPresent, true, {"status", "status"}},
        {"continuity test, CTS off", 1, continuityPresent, false, {"status"}},
        {"continuity test, CTS on", 3, continuityPresent, true, {"status"}},
    };
    for (const LineCase &c : cases) {
        OpenedPort p;
        p.tester->setRinging(3, true);
        p.tester->position = c.testerPosition;
        EXPECT_EQ(c.operation(p.port), c.result) << c.name;
        EXPECT_EQ(p.port.callLog(), c.calls) << c.name;
    }
}

TEST(TesterLines, StepPulseFromLowDtrStillEndsHighAndSteps)
{
    OpenedPort p;
    p.port.setDTR(false);
    stepPulse(p.port);
    EXPECT_TRUE(p.port.dtr());
    EXPECT_EQ(p.tester->position, 2);
}

TEST(ComPort, CloseDropsLinesPurgesAndReleasesOnlyWhenOpen)
{
    OpenedPort p;
    p.port.close();
    p.port.close();
    EXPECT_EQ(p.port.callLog(), QStringList({"DTR-", "RTS-", "purge", "release"}));
    EXPECT_FALSE(p.port.connected());
}

TEST(ComPort, FailingCloseStepReleasesThePortThenRaisesItsMessage)
{
    using Kind = SimulatedComPort::CallKind;
    const std::tuple<Kind, const char *, QStringList> cases[] = {
        {Kind::SetDTR, ComPortMessages::setLineFailed, {"DTR-", "release"}},
        {Kind::SetRTS, ComPortMessages::setLineFailed, {"DTR-", "RTS-", "release"}},
        {Kind::Purge, ComPortMessages::purgeFailed, {"DTR-", "RTS-", "purge", "release"}},
    };
    for (const auto &[kind, message, calls] : cases) {
        OpenedPort p;
        p.port.failFrom(kind, 1);
        try {
            p.port.close();
            ADD_FAILURE() << message << " not raised";
        } catch (const EComPort &e) {
            EXPECT_STREQ(e.what(), message);
        }
        EXPECT_FALSE(p.port.connected());
        EXPECT_EQ(p.port.callLog(), calls);
    }
}

TEST(ComPort, PortNameCannotChangeWhileOpenEvenToTheSameName)
{
    OpenedPort p;
    EXPECT_THROW(p.port.setPort("COM1"), EComPort);
    p.port.open(); // already open: nothing happens
    EXPECT_TRUE(p.port.callLog().isEmpty());
    p.port.close();
    EXPECT_NO_THROW(p.port.setPort("COM3"));
    EXPECT_EQ(p.port.port(), "COM3");
}

TEST(ComPort, PortListIsSortedByCollationIgnoringCase)
{
    QStringList names{"COM2", "com3", "COM10", "ttyS2", "ttyS10", "ttyUSB0", "COM1"};
    sortPortNames(names);
    EXPECT_EQ(names, QStringList({"COM1", "COM10", "COM2", "com3", "ttyS10", "ttyS2", "ttyUSB0"}));
}

} // namespace
