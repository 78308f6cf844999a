// Finding the tester among the serial ports and counting its conductors.
#include "tester/tester_search.h"

#include "test_support.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace {

using Kind = SimulatedComPort::PortKind;
using Call = SimulatedComPort::CallKind;

// The calls a port without a tester costs: open, enable, 256 pulses each followed by a marker test, close.
QStringList silentProbe(const QString &name)
{
    QStringList log{"open " + name, "RTS+"};
    for (int i = 0; i < probePulseLimit; ++i)
        log << "DTR-" << "DTR+" << "status";
    log << "DTR-" << "RTS-" << "purge" << "release";
    return log;
}

TEST(TesterSearch, ProbesPortsInCollationOrderUntilOneAnswers)
{
    FormHarness h;
    h.port->addPort("COM2", Kind::Silent); // replaced below, keeps the system's order unsorted
    h.port->addPort("COM1", Kind::Silent);
    h.port->addPort("COM10", Kind::Silent);
    h.port->addTester("COM2", 4, 2);
    h.port->addPort("COM3", Kind::Silent);

    ASSERT_TRUE(h.form->comportin1());

    QStringList expected{"list"};
    expected << silentProbe("COM1") << silentProbe("COM10");
    expected << "open COM2" << "RTS+" << "DTR-" << "DTR+" << "status" << "DTR-" << "DTR+" << "status" << "status";
    const QStringList log = h.port->callLog();
    EXPECT_EQ(log.mid(0, expected.size()), expected);
    EXPECT_EQ(openedPorts(*h.port), QStringList({"COM1", "COM10", "COM2"})) << "COM3 is never tried";
    EXPECT_EQ(h.form->ComboBox1->count(), 4);
    EXPECT_EQ(h.form->ComboBox1->itemText(1), "COM10");
    EXPECT_EQ(h.form->state.wirecount, 4);
    EXPECT_EQ(h.port->openPort(), "COM2");
    EXPECT_TRUE(h.port->rts());
    EXPECT_EQ(h.port->tester("COM2").position, 4) << "left standing at its marker";
    EXPECT_TRUE(h.boxes->errorTexts.isEmpty());
}

TEST(TesterSearch, CountsTheTestersPositions)
{
    for (int positions : {1, 8, 255}) {
        for (int start : {1, positions}) {
            FormHarness h;
            h.port->addTester("COM1", positions, start);
            h.port->addPort("COM2", Kind::Silent);
            ASSERT_TRUE(h.form->comportin1()) << positions << " from " << start;
            EXPECT_EQ(h.form->state.wirecount, positions);
            EXPECT_EQ(openedPorts(*h.port), QStringList({"COM1"}));
        }
    }
}

TEST(TesterSearch, MarkerMustShowWithin256Pulses)
{
    // A 255-position tester at its first conductor shows its marker on pulse 254;
    // each pulse lost on the way puts it one pulse later.
    const std::pair<int, bool> cases[] = {{2, true}, {3, false}};
    for (const auto &[lost, found] : cases) {
        SimulatedComPort port;
        port.addTester("COM1", 255, 1);
        for (int i = 0; i < lost; ++i)
            port.loseNextPulse();
        EXPECT_EQ(probeForTester(port, "COM1"), found) << "marker on pulse " << 254 + lost;
        EXPECT_EQ(port.connected(), found);
        EXPECT_EQ(countCalls(port, Call::SetDTR), found ? 512 : 513) << "256 pulses, and the close";
    }
}

TEST(TesterSearch, UnusablePortsAreSkippedSilently)
{
    FormHarness h;
    h.port->addPort("COM1", Kind::Absent);
    h.port->addPort("COM2", Kind::Busy);
    h.port->addTester("COM3", 12);

    ASSERT_TRUE(h.form->comportin1());
    EXPECT_EQ(openedPorts(*h.port), QStringList({"COM1", "COM2", "COM3"}));
    EXPECT_EQ(h.form->state.wirecount, 12);
    EXPECT_TRUE(h.boxes->errorTexts.isEmpty());
}

TEST(TesterSearch, PortWhoseLinesAndCloseFailDoesNotHideTheTesterAfterIt)
{
    FormHarness h;
    h.port->addPort("COM1", Kind::Silent);
    h.port->addTester("COM2", 6);
    h.port->failFrom(Call::SetRTS, 1, "COM1"); // enabling fails, and so does the close after it
    h.port->failFrom(Call::Purge, 1, "COM1");

    h.form->create();
    EXPECT_TRUE(h.boxes->errorTexts.isEmpty());
    EXPECT_EQ(h.boxes->retryBoxes, 0);
    EXPECT_EQ(h.form->state.wirecount, 6);
}

TEST(TesterSearch, NoPortsMeansNoTesterAndNoOpenPort)
{
    FormHarness h;
    EXPECT_FALSE(h.form->comportin1());
    EXPECT_EQ(h.port->callLog(), QStringList({"list"}));
}

TEST(TesterSearch, PortListReplacesTheComboBoxContents)
{
    FormHarness h;
    h.port->addPort("COM1", Kind::Silent);
    h.form->ComboBox1->addItems({"stale1", "stale2"});
    h.form->comportin1();
    h.form->comportin1();
    EXPECT_EQ(h.form->ComboBox1->count(), 1);
    EXPECT_EQ(h.form->ComboBox1->itemText(0), "COM1");
    EXPECT_TRUE(h.form->ComboBox1->currentText() == "COM1" || h.form->ComboBox1->currentText().isEmpty());
}

TEST(TesterSearch, MarkerThatNeverComesBackMeansNotWorking)
{
    FormHarness h;
    h.port->addTester("COM1", 8);
    h.atPump = [&](int pump) {
        if (pump == 2) { // after probing, before counting: the tester stops stepping short of its marker
            h.port->tester("COM1").position = 1;
            for (int i = 0; i < 255; ++i)
                h.port->loseNextPulse();
        }
    };
    EXPECT_FALSE(h.form->comportin1());
    EXPECT_FALSE(h.port->connected());
    EXPECT_EQ(h.form->state.wirecount, 0);
}

} // namespace
