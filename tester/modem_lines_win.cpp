#include "tester/modem_lines.h"

#include "tester/comport.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace ModemLines {

bool set(qintptr handle, Output line, bool on)
{
    DWORD function;
    if (line == Output::DTR)
        function = on ? SETDTR : CLRDTR;
    else
        function = on ? SETRTS : CLRRTS;
    return EscapeCommFunction(reinterpret_cast<HANDLE>(handle), function) != FALSE;
}

bool read(qintptr handle, unsigned &status)
{
    DWORD bits = 0;
    if (GetCommModemStatus(reinterpret_cast<HANDLE>(handle), &bits) == FALSE)
        return false;
    status = ((bits & MS_CTS_ON) ? LineCTS : 0u)
           | ((bits & MS_DSR_ON) ? LineDSR : 0u)
           | ((bits & MS_RING_ON) ? LineRING : 0u)
           | ((bits & MS_RLSD_ON) ? LineRLSD : 0u);
    return true;
}

} // namespace ModemLines
