#include "scan/wave_clip.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    WaveClip clip;
    QString error;
    if (loadWaveClip(data, size, QStringLiteral("fuzz.wav"), clip, error)) {
        if (clip.samples.size() != size_t(clip.frames) * size_t(clip.channels) || clip.lengthMs < 0
            || clip.lengthMs > WaveClipLimits::maxLengthMs)
            __builtin_trap();
    } else if (error.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
