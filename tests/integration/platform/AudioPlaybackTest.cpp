#include "foundation/CancellationError.h"
#include "platform/audio/AudioOutputAvailability.h"
#include "platform/audio/QMediaPlayerAudioPlayer.h"
#include "platform/speech/EspeakNgSpeechSynthesizer.h"
#include "platform/speech/SystemSpeechSynthesizerClient.h"
#include "support/CoroutineTestSupport.h"

#include <QCoroTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <chrono>

// Real sound: what the system voice and the media player play reaches the session's null
// sink, whose monitor parecord records; the recording must hold the whole sound.
namespace {

using namespace std::chrono_literals;

// From the first to the last sample louder than the threshold, of 16-bit PCM with
// `channels` interleaved channels.
std::chrono::milliseconds audibleSpan(const QByteArray &samples, int sampleRate, int channels)
{
    const auto *values = reinterpret_cast<const qint16 *>(samples.constData());
    const qsizetype frames = samples.size() / 2 / channels;
    qsizetype first = -1, last = -1;
    for (qsizetype frame = 0; frame < frames; ++frame) {
        if (std::abs(qFromLittleEndian(values[frame * channels])) > 500) {
            if (first < 0)
                first = frame;
            last = frame;
        }
    }
    return first < 0 ? 0ms : std::chrono::milliseconds((last - first) * 1000 / sampleRate);
}

// parecord on the default sink's monitor, as 16-bit stereo WAV at 44.1 kHz.
class MonitorRecording {
public:
    MonitorRecording()
    {
        m_process.start(QStringLiteral("parecord"),
                        {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--latency-msec=20"),
                         QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
                         QStringLiteral("--format=s16le"), QStringLiteral("--file-format=wav"), m_path});
        EXPECT_TRUE(m_process.waitForStarted());
        // Only a connected recording hears the start of the sound.
        for (int poll = 0; poll < 100 && !isConnected(); ++poll)
            waitForTask(QCoro::sleepFor(50ms));
    }

    // What was heard, once the last of it has come through.
    std::chrono::milliseconds stop()
    {
        waitForTask(QCoro::sleepFor(300ms));
        m_process.terminate();
        EXPECT_TRUE(m_process.waitForFinished(5000));
        QFile file(m_path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray wav = file.readAll();
        const qsizetype data = wav.indexOf("data");
        return data < 0 ? 0ms : audibleSpan(wav.mid(data + 8), 44100, 2);
    }

private:
    static bool isConnected()
    {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs")});
        return pactl.waitForFinished(5000) && !pactl.readAllStandardOutput().trimmed().isEmpty();
    }

    QTemporaryDir m_directory;
    QString m_path = m_directory.filePath(QStringLiteral("monitor.wav"));
    QProcess m_process;
};

std::chrono::milliseconds audibleSpan(const PCMAudio &audio) { return audibleSpan(audio.samples, audio.sampleRate, 1); }

TEST(AudioPlaybackTest, WordsInBothAccentsAndServiceAudioAreHeardToTheEnd)
{
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    ASSERT_TRUE(AudioOutputAvailability::hasAudioOutput()) << "the desktop session runs a sound server";
    SystemSpeechSynthesizerClient voice;
    for (const QString &accent : {QStringLiteral("american"), QStringLiteral("british")}) {
        const auto expected = audibleSpan(EspeakNgSpeechSynthesizer::synthesize(QStringLiteral("hello"), accent));
        MonitorRecording recording;
        waitForTask(voice.speak(QStringLiteral("hello"), accent));
        const auto heard = recording.stop();
        EXPECT_GE(heard, expected - 60ms) << accent.toStdString() << " heard " << heard.count() << " ms";
        EXPECT_LE(heard, expected + 150ms) << accent.toStdString() << " heard " << heard.count() << " ms";
    }

    // A service's WAV through the media player.
    const PCMAudio phrase = EspeakNgSpeechSynthesizer::synthesize(QStringLiteral("good morning"), QStringLiteral("american"));
    MonitorRecording recording;
    waitForTask(QMediaPlayerAudioPlayer().play(phrase.wavData()));
    const auto heard = recording.stop();
    EXPECT_GE(heard, audibleSpan(phrase) - 60ms) << "heard " << heard.count() << " ms";
    EXPECT_LE(heard, audibleSpan(phrase) + 150ms) << "heard " << heard.count() << " ms";
}

TEST(AudioPlaybackTest, ANewUtteranceOrACancelSilencesTheOneSounding)
{
    const QString sentence = QStringLiteral("This sentence would take several seconds to say from start to finish.");
    SystemSpeechSynthesizerClient voice;
    MonitorRecording recording;
    std::exception_ptr first, second;
    auto long1 = coroutine_test_detail::capture(voice.speak(sentence, QStringLiteral("american")), first);
    waitForTask(QCoro::sleepFor(400ms));
    // The second utterance is cancelled by its caller shortly after it starts.
    CancellationToken cancellation;
    QTimer::singleShot(400ms, [cancellation] { cancellation.cancel(); });
    EXPECT_THROW(waitForTask(voice.speak(sentence, QStringLiteral("british"), cancellation)), CancellationError);
    waitForTask(std::move(long1));
    EXPECT_TRUE(first && isCancellation(first)) << "the newer utterance ends the older one";
    EXPECT_LT(recording.stop(), 1200ms) << "neither sentence went on after it was stopped";
}

} // namespace
