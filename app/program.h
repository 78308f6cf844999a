#pragma once

#include "app/unit1.h"

class QApplication;

// The real hardware: the system's serial ports, the sound device, message
// boxes on the screen and a sleep that blocks the window's thread.
FormParts systemFormParts();

// Creates the window with the given parts, runs its start-up and the event
// loop until the window closes, then closes the port. Returns the exit status.
int runProgram(QApplication &app, FormParts parts);
