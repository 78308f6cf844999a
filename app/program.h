#pragma once

#include "app/unit1.h"

class QApplication;

class QIcon;

// The given port with the real rest: the sound device, message boxes on the
// screen and a sleep that blocks the window's thread.
FormParts formPartsWithPort(std::unique_ptr<TBComPort> port);

// The real hardware, the system's serial ports included.
FormParts systemFormParts();

// The window's icon, in 16 and 32 pixels.
QIcon programIcon();

// Creates the window with the given parts, runs its start-up and the event
// loop until the window closes, then closes the port. Returns the exit status.
int runProgram(QApplication &app, FormParts parts);
