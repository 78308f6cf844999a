#include "tester/modem_lines.h"

#include "tester/comport.h"

#include <sys/ioctl.h>
#include <termios.h>

namespace ModemLines {

bool set(qintptr handle, Output line, bool on)
{
    const int bits = line == Output::DTR ? TIOCM_DTR : TIOCM_RTS;
    return ::ioctl(int(handle), on ? TIOCMBIS : TIOCMBIC, &bits) != -1;
}

bool read(qintptr handle, unsigned &status)
{
    int bits = 0;
    if (::ioctl(int(handle), TIOCMGET, &bits) == -1)
        return false;
    status = ((bits & TIOCM_CTS) ? LineCTS : 0u)
           | ((bits & TIOCM_DSR) ? LineDSR : 0u)
           | ((bits & TIOCM_RNG) ? LineRING : 0u)
           | ((bits & TIOCM_CAR) ? LineRLSD : 0u);
    return true;
}

} // namespace ModemLines
