#include "scan/sdl_media_player.h"

#include <QLoggingCategory>

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>

#ifdef Q_OS_LINUX
#include <dlfcn.h>
#endif

namespace {

// SDL's messages are for the developer, not the operator's terminal:
// QT_LOGGING_RULES="prozvonka.sdl.debug=true" shows them.
Q_LOGGING_CATEGORY(lcSdl, "prozvonka.sdl", QtWarningMsg)

void logSdlMessage(void *, int, SDL_LogPriority, const char *message)
{
    qCDebug(lcSdl, "%s", message);
}

#ifdef Q_OS_LINUX
void logAlsaMessage(const char *file, int line, const char *function, int, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qCDebug(lcSdl, "ALSA %s:%d %s: %s", file, line, function, text);
}

// SDL loads ALSA by itself, and ALSA writes its complaints (on every failed
// open when there is no sound card) straight to stderr unless given a handler.
void quietAlsa()
{
    void *alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!alsa)
        return;
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    using SetHandler = int (*)(Handler);
    if (auto setHandler = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(logAlsaMessage);
    dlclose(alsa);
}
#else
void quietAlsa() {}
#endif

// A power of two between 1/64 and 1/32 s: short enough that the tail left in the device
// when close() comes is well inside the wait allowed for it.
Uint16 deviceBufferFrames(int sampleRate)
{
    Uint16 frames = 64;
    while (frames < 16384 && frames * 2 <= sampleRate / 32)
        frames *= 2;
    return frames;
}

} // namespace

SdlMediaPlayer::~SdlMediaPlayer()
{
    closeDevice(false);
    if (audio_ != Audio::Started)
        return;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // SDL keeps global state until SDL_Quit; release it only if nobody else uses SDL.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
}

void SdlMediaPlayer::setFileName(const QString &fileName)
{
    fileName_ = fileName;
}

void SdlMediaPlayer::open()
{
    closeDevice(false);
    clip_ = WaveClip();
    clipOpen_ = false;
    QString error;
    if (!loadWaveClip(fileName_, clip_, error))
        throw EMediaPlayerError(error);
    clipOpen_ = true;
}

int SdlMediaPlayer::length()
{
    return clipOpen_ ? clip_.lengthMs : 0;
}

void SdlMediaPlayer::play()
{
    closeDevice(false);
    if (!clipOpen_ || clip_.samples.empty() || !startAudio())
        return;

    SDL_AudioSpec wanted{};
    wanted.freq = clip_.sampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Uint8(clip_.channels);
    wanted.samples = deviceBufferFrames(clip_.sampleRate);
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device_ == 0) {
        qCDebug(lcSdl) << "no sound device:" << SDL_GetError();
        return;
    }
    deviceBufferMs_ = int(obtained.samples * 1000 / obtained.freq) + 1;
    const auto bytes = Uint32(clip_.samples.size() * sizeof(clip_.samples[0]));
    if (SDL_QueueAudio(device_, clip_.samples.data(), bytes) != 0) {
        qCDebug(lcSdl) << "cannot queue the clip:" << SDL_GetError();
        closeDevice(false);
        return;
    }
    SDL_PauseAudioDevice(device_, 0);
}

void SdlMediaPlayer::close()
{
    closeDevice(true);
    clip_ = WaveClip();
    clipOpen_ = false;
}

bool SdlMediaPlayer::startAudio()
{
    if (audio_ == Audio::NotStarted) {
        SDL_LogSetOutputFunction(logSdlMessage, nullptr);
        // Ctrl+C must stay the application's, not become an SDL event.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetMainReady();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            quietAlsa();
            audio_ = Audio::Started;
        } else {
            qCDebug(lcSdl) << "no sound:" << SDL_GetError();
            audio_ = Audio::Unavailable;
        }
    }
    return audio_ == Audio::Started;
}

void SdlMediaPlayer::closeDevice(bool letTailPlay)
{
    if (device_ == 0)
        return;
    if (letTailPlay) {
        // The caller slept length() ms from play(), but the device began about
        // a buffer late, so roughly one buffer is still to be heard.
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(tailWaitMs);
        while (SDL_GetQueuedAudioSize(device_) > 0 && Clock::now() < deadline)
            SDL_Delay(5);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const auto wait = std::min<long long>(deviceBufferMs_, left.count());
        if (wait > 0)
            SDL_Delay(Uint32(wait));
    }
    SDL_CloseAudioDevice(device_);
    device_ = 0;
}
