#include "tester/tester_search.h"

#include "tester/tester_lines.h"

bool probeForTester(TBComPort &port, const QString &name)
{
    try {
        port.setPort(name);
        port.open();
        enableTester(port);
        for (int pulse = 0; pulse < probePulseLimit; ++pulse) {
            stepPulse(port);
            if (markerPresent(port))
                return true;
        }
    } catch (const std::exception &) {
        // Absent, busy or broken: the port does not answer, and says nothing.
    }
    closeQuietly(port);
    return false;
}

std::optional<quint8> countConductors(TBComPort &port)
{
    for (int count = 1; count <= 255; ++count) {
        stepPulse(port);
        if (markerPresent(port))
            return static_cast<quint8>(count);
    }
    return std::nullopt;
}

void closeQuietly(TBComPort &port)
{
    try {
        port.close();
    } catch (const EComPort &) {
    }
}
