// The simulated tester stands in for the hardware in every other test, so it must step like one.
#include "tester/simulated_tester.h"

#include <gtest/gtest.h>

namespace {

int positionAfterPulses(SimulatedComPort &port, int pulses)
{
    for (int i = 0; i < pulses; ++i) {
        port.setDTR(false);
        port.setDTR(true);
    }
    return port.tester("COM1").position;
}

TEST(SimulatedTester, StepsOnDtrRiseOnlyWhileRtsIsUpAndWraps)
{
    SimulatedComPort port;
    port.addTester("COM1", 3);
    port.setPort("COM1");
    port.open();

    EXPECT_EQ(positionAfterPulses(port, 2), 1) << "RTS down: the tester is not enabled";
    port.setRTS(true);
    EXPECT_EQ(positionAfterPulses(port, 1), 2);
    port.setDTR(true); // no rise
    EXPECT_EQ(port.tester("COM1").position, 2);
    EXPECT_EQ(positionAfterPulses(port, 2), 1) << "after its last conductor comes its first";
}

TEST(SimulatedTester, StatusLinesFollowPosition)
{
    SimulatedComPort port;
    auto &tester = port.addTester("COM1", 3);
    tester.setRinging(2, true);
    port.setPort("COM1");
    port.open();
    port.setRTS(true);

    const unsigned expected[] = {0, LineCTS, LineDSR | LineRLSD};
    for (int pos = 1; pos <= 3; ++pos) {
        tester.position = pos;
        EXPECT_EQ(port.readStatus(), expected[pos - 1]) << "position " << pos;
    }
}

TEST(SimulatedTester, LostAndExtraPulses)
{
    SimulatedComPort port;
    port.addTester("COM1", 10);
    port.setPort("COM1");
    port.open();
    port.setRTS(true);

    port.loseNextPulse();
    EXPECT_EQ(positionAfterPulses(port, 3), 3);
    port.addExtraPulse();
    EXPECT_EQ(positionAfterPulses(port, 1), 5);
}

TEST(SimulatedTester, FailingCallKindFailsFromItsNthCallOn)
{
    SimulatedComPort port;
    port.addTester("COM1", 10);
    port.setPort("COM1");
    port.open();
    port.failFrom(SimulatedComPort::CallKind::ReadStatus, 2);

    EXPECT_NO_THROW(port.readStatus());
    for (int i = 0; i < 2; ++i) {
        try {
            port.readStatus();
            FAIL() << "status read " << i + 2 << " should fail";
        } catch (const EComPort &e) {
            EXPECT_STREQ(e.what(), ComPortMessages::readStatusFailed);
        }
    }
}

TEST(SimulatedPorts, OpenFailsWithTheComponentsMessages)
{
    SimulatedComPort port;
    port.addPort("COM1", SimulatedComPort::PortKind::Absent);
    port.addPort("COM2", SimulatedComPort::PortKind::Busy);

    const std::pair<const char *, const char *> cases[] = {
        {"COM1", ComPortMessages::noSuchPort},
        {"COM2", ComPortMessages::portBusy},
        {"COM9", ComPortMessages::noSuchPort},
    };
    for (const auto &[name, message] : cases) {
        port.setPort(name);
        try {
            port.open();
            ADD_FAILURE() << name << " opened";
        } catch (const EComPort &e) {
            EXPECT_STREQ(e.what(), message) << name;
        }
        EXPECT_FALSE(port.connected());
    }
}

} // namespace
