#include "scan/stepping_scan.h"

#include "scan/media_player.h"
#include "scan/scan_display.h"
#include "scan/sleeper.h"
#include "tester/tester_lines.h"

#include <QFileInfo>
#include <QString>

SteppingScan::SteppingScan(TesterState &state, TBComPort &port, TMediaPlayer &player,
                           ScanDisplay &display, Sleeper &sleeper)
    : state_(state), port_(port), player_(player), display_(display), sleeper_(sleeper)
{
}

void SteppingScan::run()
{
    do
        runPass();
    while (!state_.exitflag);
}

void SteppingScan::runPass()
{
    advance();
    stepPulse(port_);
    display_.processMessages();

    if (markerPresent(port_)) {
        // The tester is at its last conductor; if we think otherwise, pulses were lost or gained.
        if (state_.curwire != state_.wirecount)
            display_.setStatusText(QStringLiteral("ош.счета"));
        state_.curwire = state_.wirecount;
    }
    display_.processMessages();

    if (continuityPresent(port_))
        announce();
}

void SteppingScan::advance()
{
    const unsigned next = state_.curwire + 1u;
    state_.curwire = next == state_.wirecount + 1u ? 1 : static_cast<quint8>(next);
}

void SteppingScan::announce()
{
    const QString number = QString::number(state_.curwire);
    display_.showConductor(number);
    display_.processMessages();

    if (state_.soundon) {
        const QString clipName = number + QStringLiteral(".wav");
        if (QFileInfo(clipName).isFile())
            playClip(clipName);
        else
            reportMissingClip(clipName);
    }
    // Read again: the operator may have turned the sound off during a pump above.
    if (!state_.soundon)
        sleeper_.sleep(silentHoldMs);

    display_.hideConductor();
    display_.processMessages();
}

void SteppingScan::playClip(const QString &clipName)
{
    player_.setFileName(clipName);
    player_.open();
    const int length = player_.length();
    display_.setStatusText(QString::number(length) + QStringLiteral("  "));
    player_.play();
    display_.processMessages();
    sleeper_.sleep(length);
    player_.close();
    display_.setStatusText(QString());
    display_.processMessages();
}

void SteppingScan::reportMissingClip(const QString &clipName)
{
    display_.showMissingClip(QStringLiteral("Отсутствует звуковой файл ") + clipName + QStringLiteral(" "));
    display_.processMessages();
    sleeper_.sleep(silentHoldMs);
    display_.hideMissingClip();
    display_.processMessages();
}
