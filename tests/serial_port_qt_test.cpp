// Tests of the real serial-port layer. These are the only tests that open real
// devices: a pseudo-terminal, and /dev/ttyS0 where it exists and can be opened.
#include "tester/serial_port_qt.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

template<typename Call>
void expectComPortError(Call call, const char *message)
{
    try {
        call();
        ADD_FAILURE() << "no EComPort, expected: " << message;
    } catch (const EComPort &e) {
        EXPECT_STREQ(e.what(), message);
    }
}

struct LineCall {
    const char *name;
    std::function<void(SerialPortQt &)> call;
    const char *message;
};

const LineCall lineCalls[] = {
    {"setDTR(true)", [](SerialPortQt &p) { p.setDTR(true); }, ComPortMessages::setLineFailed},
    {"setDTR(false)", [](SerialPortQt &p) { p.setDTR(false); }, ComPortMessages::setLineFailed},
    {"setRTS(true)", [](SerialPortQt &p) { p.setRTS(true); }, ComPortMessages::setLineFailed},
    {"setRTS(false)", [](SerialPortQt &p) { p.setRTS(false); }, ComPortMessages::setLineFailed},
    {"readStatus()", [](SerialPortQt &p) { p.readStatus(); }, ComPortMessages::readStatusFailed},
};

void expectEveryLineCallFails(SerialPortQt &port)
{
    for (const LineCall &c : lineCalls) {
        SCOPED_TRACE(c.name);
        expectComPortError([&] { c.call(port); }, c.message);
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }
    void reset()
    {
        if (fd_ != -1)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// The slave side of a pseudo-terminal opens like a serial port, but Linux has
// no modem lines on it: every line call fails with ENOTTY.
class RealPtyPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(master_.get(), -1) << std::strerror(errno);
        ASSERT_EQ(grantpt(master_.get()), 0) << std::strerror(errno);
        ASSERT_EQ(unlockpt(master_.get()), 0) << std::strerror(errno);
        slave_ = QString::fromLocal8Bit(ptsname(master_.get()));
        port_.setPort(slave_);
    }

    Descriptor master_{posix_openpt(O_RDWR | O_NOCTTY)};
    QString slave_;
    SerialPortQt port_;
};

TEST_F(RealPtyPort, LineCallsFailWithTheirMessages)
{
    port_.open();
    ASSERT_TRUE(port_.connected());
    expectEveryLineCallFails(port_);
}

TEST_F(RealPtyPort, CloseReleasesTheDeviceThenReportsTheFirstFailure)
{
    port_.open();
    expectComPortError([&] { port_.close(); }, ComPortMessages::setLineFailed);
    EXPECT_FALSE(port_.connected());

    SerialPortQt next;
    next.setPort(slave_);
    EXPECT_NO_THROW(next.open()) << "the lock or the descriptor outlived close()";
}

TEST_F(RealPtyPort, SecondPortOnTheSameDeviceIsBusy)
{
    port_.open();
    SerialPortQt other;
    other.setPort(slave_);
    expectComPortError([&] { other.open(); }, ComPortMessages::portBusy);
    EXPECT_FALSE(other.connected());
    EXPECT_TRUE(port_.connected());
}

TEST_F(RealPtyPort, PortNameIsFixedWhileOpen)
{
    port_.open();
    for (const QString &name : {slave_, QStringLiteral("ttyS1")}) {
        SCOPED_TRACE(name.toStdString());
        expectComPortError([&] { port_.setPort(name); }, ComPortMessages::portIsOpen);
        EXPECT_EQ(port_.port(), slave_);
    }
}

TEST_F(RealPtyPort, OpenWhenOpenAndCloseWhenClosedDoNothing)
{
    EXPECT_NO_THROW(port_.close());
    EXPECT_FALSE(port_.connected());

    port_.open();
    // Reopening would run into the lock this port already holds.
    EXPECT_NO_THROW(port_.open());
    EXPECT_TRUE(port_.connected());
}

// Runs in a child process: as root it first drops to an unprivileged user,
// since root may open any device node.
TEST_F(RealPtyPort, DeviceNodeTheUserMayNotOpenIsNoPermission)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EQ(::chmod(slave_.toLocal8Bit().constData(), 0), 0) << std::strerror(errno);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0) {
                std::fprintf(stderr, "cannot drop root: %s\n", std::strerror(errno));
                std::_Exit(2);
            }
            try {
                port_.open();
                std::fprintf(stderr, "opened\n");
            } catch (const EComPort &e) {
                if (std::strcmp(e.what(), ComPortMessages::noPermission) == 0)
                    std::_Exit(0);
                std::fprintf(stderr, "EComPort: %s\n", e.what());
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(RealPortOpen, MissingDeviceIsNoSuchPort)
{
    for (const char *name : {"/dev/no-such-serial-port", "ttyNoSuchPort"}) {
        SCOPED_TRACE(name);
        SerialPortQt port;
        port.setPort(QString::fromLatin1(name));
        expectComPortError([&] { port.open(); }, ComPortMessages::noSuchPort);
        EXPECT_FALSE(port.connected());
    }
}

TEST(SerialPortQtClosed, LineCallsFail)
{
    SerialPortQt port;
    expectEveryLineCallFails(port);
}

bool outputOn(int fd, int line)
{
    int bits = 0;
    if (::ioctl(fd, TIOCMGET, &bits) == -1)
        ADD_FAILURE() << "TIOCMGET: " << std::strerror(errno);
    return (bits & line) != 0;
}

unsigned inputLines(int bits)
{
    return ((bits & TIOCM_CTS) ? LineCTS : 0u) | ((bits & TIOCM_DSR) ? LineDSR : 0u)
         | ((bits & TIOCM_RNG) ? LineRING : 0u) | ((bits & TIOCM_CAR) ? LineRLSD : 0u);
}

// Drives the machine's first serial port for real: whatever is plugged into it
// sees DTR and RTS change. The lines are read back through a second descriptor
// on the same device, which shares them.
TEST(RealTtyS0, LinesReachTheDeviceAndCloseLowersThem)
{
    const char *device = "/dev/ttyS0";
    if (::access(device, F_OK) != 0)
        GTEST_SKIP() << device << " does not exist";

    SerialPortQt port;
    port.setPort(QStringLiteral("ttyS0"));
    try {
        port.open();
    } catch (const EComPort &e) {
        GTEST_SKIP() << device << " cannot be opened: " << e.what();
    }
    // Opened after the port so that a port held by another program is never
    // touched; without root, the port's exclusive mode refuses this open.
    Descriptor probe(::open(device, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    if (probe.get() == -1)
        GTEST_SKIP() << "cannot read the lines back: " << std::strerror(errno);
    int bits = 0;
    if (::ioctl(probe.get(), TIOCMGET, &bits) == -1)
        GTEST_SKIP() << "no modem lines behind " << device << ": " << std::strerror(errno);

    EXPECT_TRUE(port.listPorts().contains(QStringLiteral("ttyS0")));
    // Read before any DTR edge, which would step a tester on the line.
    EXPECT_EQ(port.readStatus(), inputLines(bits));

    const struct {
        bool dtr;
        bool rts;
    } states[] = {{true, false}, {false, true}, {true, true}, {false, false}};
    for (const auto &s : states) {
        SCOPED_TRACE(testing::Message() << "DTR " << s.dtr << " RTS " << s.rts);
        port.setDTR(s.dtr);
        port.setRTS(s.rts);
        EXPECT_EQ(outputOn(probe.get(), TIOCM_DTR), s.dtr);
        EXPECT_EQ(outputOn(probe.get(), TIOCM_RTS), s.rts);
    }

    port.setDTR(true);
    port.setRTS(true);
    ASSERT_NO_THROW(port.close());
    EXPECT_FALSE(port.connected());
    EXPECT_FALSE(outputOn(probe.get(), TIOCM_DTR));
    EXPECT_FALSE(outputOn(probe.get(), TIOCM_RTS));
}

} // namespace
