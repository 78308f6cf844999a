#pragma once

#include "tester/comport.h"

// What the serial lines mean to the tester. None of these catch anything.

// RTS on: done once, right after the port is opened.
void enableTester(TBComPort &port);

// DTR low then high, back to back: the tester moves on one conductor.
void stepPulse(TBComPort &port);

// DSR and RLSD on together: the tester stands at its last conductor. RLSD is
// read again, and only when DSR is on.
bool markerPresent(TBComPort &port);

// CTS on: the conductor at the present position rings through.
bool continuityPresent(TBComPort &port);
