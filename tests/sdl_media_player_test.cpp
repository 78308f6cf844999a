#include "scan/sdl_media_player.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <thread>

namespace {

struct WavFormat {
    int rate = 8000;
    int channels = 1;
    int bits = 16;
    quint16 formatTag = 1;
    qint64 declaredDataBytes = -1; // -1: the real size
};

template <typename T>
void append(QByteArray &bytes, T value)
{
    char raw[sizeof(T)];
    qToLittleEndian(value, raw);
    bytes.append(raw, sizeof(T));
}

QByteArray wavBytes(const WavFormat &format, const QByteArray &data)
{
    const quint16 blockAlign = quint16(format.channels * format.bits / 8);
    QByteArray bytes("RIFF");
    append<quint32>(bytes, quint32(36 + data.size()));
    bytes.append("WAVEfmt ");
    append<quint32>(bytes, 16);
    append<quint16>(bytes, format.formatTag);
    append<quint16>(bytes, quint16(format.channels));
    append<quint32>(bytes, quint32(format.rate));
    append<quint32>(bytes, quint32(format.rate) * blockAlign);
    append<quint16>(bytes, blockAlign);
    append<quint16>(bytes, quint16(format.bits));
    bytes.append("data");
    append<quint32>(bytes, quint32(format.declaredDataBytes < 0 ? data.size() : format.declaredDataBytes));
    return bytes + data;
}

// 16-bit samples none of which is silence, so that they stand out in a recording.
QByteArray tone(qint64 frames, int channels)
{
    QByteArray data;
    for (qint64 i = 0; i < frames * channels; ++i)
        append<qint16>(data, qint16(1000 + i % 20000));
    return data;
}

QByteArray pcm16Wav(int rate, int channels, qint64 frames, qint64 declaredDataBytes = -1)
{
    return wavBytes({rate, channels, 16, 1, declaredDataBytes}, tone(frames, channels));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QString &value) : name_(name)
    {
        if (const char *old = std::getenv(name))
            old_ = old;
        setenv(name, value.toLocal8Bit().constData(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char *name_;
    std::optional<std::string> old_;
};

class MediaPlayerTest : public testing::Test {
protected:
    QString clipPath(const QString &name = QStringLiteral("7.wav")) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

struct LengthCase {
    const char *name;
    QByteArray bytes;
    int lengthMs;
};

void PrintTo(const LengthCase &c, std::ostream *os)
{
    *os << c.name;
}

class ClipLengthTest : public MediaPlayerTest, public testing::WithParamInterface<LengthCase> {};

TEST_P(ClipLengthTest, IsTheClipsDurationRoundedUp)
{
    writeFile(clipPath(), GetParam().bytes);
    SdlMediaPlayer player;
    player.setFileName(clipPath());
    player.open();
    EXPECT_EQ(player.length(), GetParam().lengthMs);
    player.close();
    EXPECT_EQ(player.length(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, ClipLengthTest,
    testing::Values(LengthCase{"OneSecond", pcm16Wav(8000, 1, 8000), 1000},
                    LengthCase{"OneFrame", pcm16Wav(44100, 1, 1), 1},
                    LengthCase{"JustOverOneSecond", pcm16Wav(44100, 1, 44101), 1001},
                    LengthCase{"StereoHalfSecond", pcm16Wav(48000, 2, 24000), 500},
                    LengthCase{"FractionalMs", pcm16Wav(11025, 1, 1000), 91},
                    LengthCase{"ZeroFrames", pcm16Wav(22050, 1, 0), 0},
                    LengthCase{"ExactlyTenMinutes", pcm16Wav(100, 1, 60000), 600000},
                    // The header's size is not believed: what is there plays.
                    LengthCase{"HeaderDeclaresTwoGigabytes", pcm16Wav(8000, 1, 800, 0x7ffffff0), 100}),
    [](const auto &info) { return std::string(info.param.name); });

struct BadClip {
    const char *name;
    std::function<void(const QString &path)> make;
    bool needsUnprivilegedUser = false;
};

void writeBytes(const QString &path, const QByteArray &bytes)
{
    writeFile(path, bytes);
}

QByteArray randomBytes(int size)
{
    std::mt19937 random(7);
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(char(random()));
    return bytes;
}

void PrintTo(const BadClip &c, std::ostream *os)
{
    *os << c.name;
}

class OpenFailureTest : public MediaPlayerTest, public testing::WithParamInterface<BadClip> {};

TEST_P(OpenFailureTest, ThrowsAReadableReasonAndForgetsThePreviousClip)
{
    if (GetParam().needsUnprivilegedUser && geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    const QString good = clipPath(QStringLiteral("1.wav"));
    const QString bad = clipPath(QStringLiteral("x.wav"));
    writeFile(good, pcm16Wav(8000, 1, 8000));
    GetParam().make(bad);

    SdlMediaPlayer player;
    player.setFileName(good);
    player.open();
    player.setFileName(bad);
    try {
        player.open();
        FAIL() << "opened";
    } catch (const EMediaPlayerError &e) {
        const QString message = QString::fromStdString(e.what());
        EXPECT_TRUE(message.contains(QStringLiteral("x.wav"))) << e.what();
        EXPECT_GT(message.size(), QStringLiteral("x.wav: ").size() + 5) << e.what();
    }
    EXPECT_EQ(player.length(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenFailureTest,
    testing::Values(
        BadClip{"Empty", [](const QString &p) { writeBytes(p, {}); }},
        BadClip{"TruncatedHeader", [](const QString &p) { writeBytes(p, pcm16Wav(8000, 1, 100).left(30)); }},
        BadClip{"RandomBytes", [](const QString &p) { writeBytes(p, randomBytes(4096)); }},
        BadClip{"UnknownFormatTag",
                [](const QString &p) { writeBytes(p, wavBytes({8000, 1, 16, 0x1234}, tone(100, 1))); }},
        BadClip{"Unsupported64BitSamples",
                [](const QString &p) { writeBytes(p, wavBytes({8000, 1, 64}, QByteArray(800, '\1'))); }},
        BadClip{"NineChannels", [](const QString &p) { writeBytes(p, pcm16Wav(8000, 9, 100)); }},
        BadClip{"OverTenMinutes",
                [](const QString &p) { writeBytes(p, wavBytes({100, 1, 8}, QByteArray(60001, '\x90'))); }},
        BadClip{"Missing", [](const QString &) {}},
        BadClip{"Directory", [](const QString &p) { ASSERT_TRUE(QDir().mkdir(p)); }},
        BadClip{"Fifo", [](const QString &p) { ASSERT_EQ(mkfifo(p.toLocal8Bit().constData(), 0600), 0); }},
        BadClip{"Unreadable",
                [](const QString &p) {
                    writeBytes(p, pcm16Wav(8000, 1, 100));
                    ASSERT_EQ(chmod(p.toLocal8Bit().constData(), 0), 0);
                },
                true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MediaPlayerTest, WholeClipReachesTheDeviceWhileTheCallerSleeps)
{
    const QString output = dir_.filePath(QStringLiteral("device.raw"));
    ScopedEnv driver("SDL_AUDIODRIVER", QStringLiteral("disk"));
    ScopedEnv file("SDL_DISKAUDIOFILE", output);
    const QByteArray samples = tone(22050 * 8 / 10, 2);
    writeFile(clipPath(), wavBytes({22050, 2}, samples));

    testing::internal::CaptureStderr();
    {
        SdlMediaPlayer player;
        player.setFileName(clipPath());
        player.open();
        const int ms = player.length();
        player.play();
        // The device writes in real time, so a play() that returned at once
        // cannot have let half the clip through yet.
        EXPECT_LT(QFileInfo(output).size(), samples.size() / 2) << "play() waited for the clip";
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        player.close();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    QFile recorded(output);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    const QByteArray device = recorded.readAll();
    // The device format is the clip's own, so the clip appears byte for byte.
    EXPECT_NE(std::search(device.begin(), device.end(), samples.begin(), samples.end()), device.end())
        << "recorded " << device.size() << " bytes, clip has " << samples.size();
}

struct NoDevice {
    const char *name;
    const char *driver;
    const char *diskFile; // relative to the test's directory
};

void PrintTo(const NoDevice &c, std::ostream *os)
{
    *os << c.name;
}

class NoDeviceTest : public MediaPlayerTest, public testing::WithParamInterface<NoDevice> {};

TEST_P(NoDeviceTest, PlayAndCloseDoNothingQuietly)
{
    ScopedEnv driver("SDL_AUDIODRIVER", QString::fromLatin1(GetParam().driver));
    ScopedEnv file("SDL_DISKAUDIOFILE", dir_.filePath(QString::fromLatin1(GetParam().diskFile)));
    writeFile(clipPath(), pcm16Wav(8000, 1, 4000));

    testing::internal::CaptureStderr();
    {
        SdlMediaPlayer player;
        player.setFileName(clipPath());
        EXPECT_NO_THROW(player.open());
        EXPECT_EQ(player.length(), 500);
        EXPECT_NO_THROW(player.play());
        EXPECT_NO_THROW(player.close());
        EXPECT_EQ(player.length(), 0);
        EXPECT_NO_THROW(player.open());
        EXPECT_EQ(player.length(), 500);
        EXPECT_NO_THROW(player.play());
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

INSTANTIATE_TEST_SUITE_P(Drivers, NoDeviceTest,
                         testing::Values(NoDevice{"UnknownDriver", "no-such-driver", "unused.raw"},
                                         NoDevice{"DeviceCannotOpen", "disk", "no-such-dir/out.raw"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
