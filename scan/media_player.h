#pragma once

#include <QString>

#include <stdexcept>

// A clip that the player could not open. The message is the reason, readable as it stands.
class EMediaPlayerError : public std::runtime_error {
public:
    explicit EMediaPlayerError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// Plays the announcement clips. Only open() can fail; the rest report nothing.
class TMediaPlayer {
public:
    virtual ~TMediaPlayer() = default;

    virtual void setFileName(const QString &fileName) = 0;
    // Loads the clip named by setFileName(); returns once it is ready to play.
    virtual void open() = 0;
    // Length of the open clip in milliseconds; 0 when nothing usable is open.
    virtual int length() = 0;
    // Starts playback and returns at once; the clip goes on playing by itself.
    virtual void play() = 0;
    virtual void close() = 0;
};
