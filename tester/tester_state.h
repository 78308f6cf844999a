#pragma once

#include <QtGlobal>

// What the program knows of the tester. Zero at start; only the window's thread touches it.
struct TesterState {
    quint8 curwire = 0;   // conductor the tester is believed to stand at, 1..wirecount once scanning
    quint8 wirecount = 0; // conductors in the tester's cycle, 1..255 once counted
    bool exitflag = false;
    bool soundon = false;
};
