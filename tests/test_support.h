#pragma once

#include "app/message_boxes.h"
#include "app/unit1.h"
#include "scan/media_player.h"
#include "scan/sleeper.h"
#include "tester/simulated_tester.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// Answers the retry box from a script (Cancel once the script runs out) and
// keeps every box it was asked to show.
struct ScriptedMessageBoxes : MessageBoxes {
    std::deque<bool> retryAnswers;
    std::function<void()> beforeAnswer;
    int retryBoxes = 0;
    QStringList retryCaptions, retryTexts;
    QStringList errorCaptions, errorTexts;

    bool askRetry(const QString &caption, const QString &text) override
    {
        ++retryBoxes;
        retryCaptions << caption;
        retryTexts << text;
        if (beforeAnswer)
            beforeAnswer();
        if (retryAnswers.empty())
            return false;
        const bool ok = retryAnswers.front();
        retryAnswers.pop_front();
        return ok;
    }
    void showError(const QString &caption, const QString &text) override
    {
        errorCaptions << caption;
        errorTexts << text;
    }
};

// A fresh directory made the current one, where the scan looks for its clips;
// the previous current directory comes back when it goes.
struct ClipsDirectory {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();

    ClipsDirectory() { QDir::setCurrent(dir.path()); }
    ~ClipsDirectory() { QDir::setCurrent(previous); }

    QString path(const QString &name) const { return dir.filePath(name); }
    void addEmptyFile(const QString &name) const { QFile(path(name)).open(QIODevice::WriteOnly); }
};

// Time passes only when the scan sleeps.
struct VirtualClock : Sleeper {
    long long now = 0;
    std::vector<int> sleeps;
    std::function<void(int)> duringSleep;

    void sleep(int milliseconds) override
    {
        sleeps.push_back(milliseconds);
        if (duringSleep)
            duringSleep(milliseconds);
        now += milliseconds;
    }
};

// Records what was asked of it; the clip's length and an open failure are set by the test.
struct RecordingPlayer : TMediaPlayer {
    int clipLength = 1234;
    QString openFailure;
    QStringList log;

    void setFileName(const QString &fileName) override { log << "file " + fileName; }
    void open() override
    {
        log << "open";
        if (!openFailure.isEmpty())
            throw EMediaPlayerError(openFailure);
    }
    int length() override { return clipLength; }
    void play() override { log << "play"; }
    void close() override { log << "close"; }
};

// The window over a simulated port, scripted message boxes, a recording player
// and a virtual clock. Every pump is counted and may run a test's action first.
struct FormHarness {
    SimulatedComPort *port;
    ScriptedMessageBoxes *boxes;
    RecordingPlayer *player;
    VirtualClock *clock;
    std::unique_ptr<TForm1> form;
    int pumps = 0;
    std::function<void(int)> atPump;

    FormHarness()
    {
        auto portOwned = std::make_unique<SimulatedComPort>();
        auto boxesOwned = std::make_unique<ScriptedMessageBoxes>();
        auto playerOwned = std::make_unique<RecordingPlayer>();
        auto clockOwned = std::make_unique<VirtualClock>();
        port = portOwned.get();
        boxes = boxesOwned.get();
        player = playerOwned.get();
        clock = clockOwned.get();
        FormParts parts;
        parts.comPort = std::move(portOwned);
        parts.messageBoxes = std::move(boxesOwned);
        parts.mediaPlayer = std::move(playerOwned);
        parts.sleeper = std::move(clockOwned);
        parts.processMessages = [this] {
            ++pumps;
            if (atPump)
                atPump(pumps);
            QApplication::processEvents();
        };
        form = std::make_unique<TForm1>(std::move(parts));
    }
};

// The names of the ports opened, in order, from a call log.
inline QStringList openedPorts(const SimulatedComPort &port)
{
    QStringList names;
    for (const auto &call : port.calls())
        if (call.kind == SimulatedComPort::CallKind::Open)
            names << call.port;
    return names;
}

inline int countCalls(const SimulatedComPort &port, SimulatedComPort::CallKind kind)
{
    int n = 0;
    for (const auto &call : port.calls())
        n += call.kind == kind;
    return n;
}
