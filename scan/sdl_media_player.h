#pragma once

#include "scan/media_player.h"
#include "scan/wave_clip.h"

#include <cstdint>

// Plays clips on SDL's own audio thread, so a clip goes on sounding while the
// calling thread sleeps. Without a usable sound device, play() and close()
// do nothing; open() and length() work all the same.
class SdlMediaPlayer : public TMediaPlayer {
public:
    SdlMediaPlayer() = default;
    ~SdlMediaPlayer() override;
    SdlMediaPlayer(const SdlMediaPlayer &) = delete;
    SdlMediaPlayer &operator=(const SdlMediaPlayer &) = delete;

    void setFileName(const QString &fileName) override;
    void open() override;
    int length() override;
    void play() override;
    // Lets the tail still in the device play out for at most tailWaitMs, then
    // stops and forgets the clip.
    void close() override;

    static constexpr int tailWaitMs = 100;

private:
    enum class Audio { NotStarted, Started, Unavailable };

    bool startAudio();
    void closeDevice(bool letTailPlay);

    QString fileName_;
    WaveClip clip_;
    bool clipOpen_ = false;
    Audio audio_ = Audio::NotStarted;
    uint32_t device_ = 0;
    int deviceBufferMs_ = 0;
};
