#pragma once

#include "tester/tester_state.h"

class QString;
class ScanDisplay;
class Sleeper;
class TBComPort;
class TMediaPlayer;

inline constexpr int silentHoldMs = 400;

// Steps the tester round its conductors and announces each one that rings
// through. A pass that finds no continuity makes only its line calls and two
// pumps, so the tester is stepped as fast as the port allows.
class SteppingScan {
public:
    SteppingScan(TesterState &state, TBComPort &port, TMediaPlayer &player, ScanDisplay &display,
                 Sleeper &sleeper);

    // Passes until the exit request is seen at the end of one.
    void run();
    void runPass();

private:
    void advance();
    void announce();
    void playClip(const QString &clipName);
    void reportMissingClip(const QString &clipName);

    TesterState &state_;
    TBComPort &port_;
    TMediaPlayer &player_;
    ScanDisplay &display_;
    Sleeper &sleeper_;
};
