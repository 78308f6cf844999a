#include "scan/wave_clip.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

#include <algorithm>
#include <limits>

namespace {

// libsndfile reads through this, so that it never sees past the bytes really
// there and never makes the device seek beyond its end.
struct Source {
    QIODevice *device;
    qint64 size;
    qint64 pos = 0;
};

sf_count_t sourceLength(void *user)
{
    return static_cast<Source *>(user)->size;
}

sf_count_t sourceSeek(sf_count_t offset, int whence, void *user)
{
    auto *source = static_cast<Source *>(user);
    const qint64 base = whence == SEEK_CUR ? source->pos : whence == SEEK_END ? source->size : 0;
    if (offset > 0 && base > std::numeric_limits<qint64>::max() - offset)
        return -1;
    const qint64 target = base + offset;
    if (target < 0)
        return -1;
    source->pos = target;
    return target;
}

sf_count_t sourceRead(void *ptr, sf_count_t count, void *user)
{
    auto *source = static_cast<Source *>(user);
    if (count <= 0 || source->pos >= source->size)
        return 0;
    if (source->device->pos() != source->pos && !source->device->seek(source->pos))
        return 0;
    const qint64 got = source->device->read(static_cast<char *>(ptr),
                                            std::min<qint64>(count, source->size - source->pos));
    if (got <= 0)
        return 0;
    source->pos += got;
    return got;
}

sf_count_t sourceTell(void *user)
{
    return static_cast<Source *>(user)->pos;
}

QString limitExceeded(const QString &name, int64_t frames, const SF_INFO &info)
{
    using namespace WaveClipLimits;
    if (frames > int64_t(info.samplerate) * (maxLengthMs / 1000))
        return QStringLiteral("%1: the clip is longer than %2 minutes.").arg(name).arg(maxLengthMs / 60000);
    if (frames > maxSamples / info.channels)
        return QStringLiteral("%1: the clip is too large to load (over %2 MB of sound).")
            .arg(name).arg(maxSamples * 2 / (1024 * 1024));
    return QString();
}

bool decode(SNDFILE *file, const SF_INFO &info, qint64 byteSize, const QString &name,
            WaveClip &clip, QString &error)
{
    using namespace WaveClipLimits;
    if (info.channels < 1 || info.channels > maxChannels) {
        error = QStringLiteral("%1: %2 channels; at most %3 can be played.")
                    .arg(name).arg(info.channels).arg(maxChannels);
        return false;
    }
    if (info.samplerate < 1 || info.samplerate > maxSampleRate) {
        error = QStringLiteral("%1: a sample rate of %2 Hz cannot be played.").arg(name).arg(info.samplerate);
        return false;
    }
    // The declared length lets an overlong clip be refused before anything is
    // decoded; it is never used to size memory beyond the bytes really present.
    if (info.frames != SF_COUNT_MAX) {
        error = limitExceeded(name, info.frames, info);
        if (!error.isEmpty())
            return false;
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const int channels = info.channels;
    std::vector<int16_t> samples;
    if (info.frames > 0 && info.frames != SF_COUNT_MAX)
        samples.reserve(size_t(std::min<int64_t>(info.frames * channels, byteSize)));
    constexpr sf_count_t chunkFrames = 4096;
    int64_t frames = 0;
    for (;;) {
        samples.resize(size_t((frames + chunkFrames) * channels));
        const sf_count_t got = sf_readf_short(file, samples.data() + frames * channels, chunkFrames);
        if (got <= 0)
            break;
        frames += got;
        error = limitExceeded(name, frames, info);
        if (!error.isEmpty())
            return false;
    }
    samples.resize(size_t(frames * channels));

    clip.samples = std::move(samples);
    clip.sampleRate = info.samplerate;
    clip.channels = channels;
    clip.frames = frames;
    clip.lengthMs = int((frames * 1000 + info.samplerate - 1) / info.samplerate);
    return true;
}

bool load(QIODevice &device, const QString &name, WaveClip &clip, QString &error)
{
    clip = WaveClip();
    Source source{&device, device.size()};
    SF_VIRTUAL_IO io{};
    io.get_filelen = sourceLength;
    io.seek = sourceSeek;
    io.read = sourceRead;
    io.tell = sourceTell;
    SF_INFO info{};
    SNDFILE *file = sf_open_virtual(&io, SFM_READ, &info, &source);
    if (!file) {
        error = QStringLiteral("%1: %2").arg(name, QString::fromUtf8(sf_strerror(nullptr)));
        return false;
    }
    const bool ok = decode(file, info, source.size, name, clip, error);
    sf_close(file);
    return ok;
}

} // namespace

bool loadWaveClip(const QString &fileName, WaveClip &clip, QString &error)
{
    clip = WaveClip();
    if (fileName.isEmpty()) {
        error = QStringLiteral("No clip file name given.");
        return false;
    }
    // Checked before opening: opening a FIFO or a device could block or disturb it.
    const QFileInfo info(fileName);
    if (!info.exists()) {
        error = QStringLiteral("%1: no such file.").arg(fileName);
        return false;
    }
    if (!info.isFile()) {
        error = QStringLiteral("%1: not a regular file.").arg(fileName);
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    return load(file, fileName, clip, error);
}

bool loadWaveClip(const void *data, std::size_t size, const QString &name, WaveClip &clip,
                  QString &error)
{
    QByteArray bytes = QByteArray::fromRawData(static_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return load(buffer, name, clip, error);
}
