#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

// A whole clip decoded to interleaved signed 16-bit samples.
struct WaveClip {
    std::vector<int16_t> samples;
    int sampleRate = 0;
    int channels = 0;
    int64_t frames = 0;
    // Rounded up, so that waiting this long always covers the whole clip.
    int lengthMs = 0;
};

namespace WaveClipLimits {
// Longer clips are refused; an announcement lasts a second or two.
inline constexpr int maxLengthMs = 10 * 60 * 1000;
// Decoded size limit: ten minutes of 48 kHz stereo fits with room to spare.
inline constexpr int64_t maxSamples = 64 * 1024 * 1024;
inline constexpr int maxChannels = 8;
inline constexpr int maxSampleRate = 384000;
} // namespace WaveClipLimits

// Both return false with the reason in error, prefixed by the clip's name, when
// the clip cannot be used. Neither blocks on special files nor trusts sizes
// declared in the header beyond the data really present.
bool loadWaveClip(const QString &fileName, WaveClip &clip, QString &error);
bool loadWaveClip(const void *data, std::size_t size, const QString &name, WaveClip &clip,
                  QString &error);
