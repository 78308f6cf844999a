#pragma once

#include "tester/comport.h"

#include <optional>

// A port answers when the tester's marker shows within this many step pulses.
constexpr int probePulseLimit = 256;

// Opens the named port, enables the tester and pulses it until its marker
// shows. On success the port stays open with the tester at its last
// conductor; otherwise the port is closed. Never raises: a port that cannot
// be opened or whose lines fail simply does not answer.
bool probeForTester(TBComPort &port, const QString &name);

// Counts the pulses that bring a tester standing at its marker back to it:
// the number of conductors, 1..255. Nothing when the marker does not come back.
std::optional<quint8> countConductors(TBComPort &port);

// Closes the port, ignoring a failure: a failed close has released the device.
void closeQuietly(TBComPort &port);
