#include "tester/tester_lines.h"

void enableTester(TBComPort &port)
{
    port.setRTS(true);
}

void stepPulse(TBComPort &port)
{
    port.setDTR(false);
    port.setDTR(true);
}

bool markerPresent(TBComPort &port)
{
    if (!(port.readStatus() & LineDSR))
        return false;
    return port.readStatus() & LineRLSD;
}

bool continuityPresent(TBComPort &port)
{
    return port.readStatus() & LineCTS;
}
