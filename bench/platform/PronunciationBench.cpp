// The system voice: how fast espeak-ng speaks into memory, and how long a word takes from
// `speak` until its first sound reaches the sound server. Run inside the desktop session
// (scripts/with-desktop-session.sh), whose PulseAudio server has a null sink: its monitor,
// read with 5 ms of latency, tells when the sound arrives, so the figure is an upper bound.
#include "platform/speech/EspeakNgSpeechSynthesizer.h"
#include "platform/speech/SystemSpeechSynthesizerClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <functional>

namespace {

void BM_EspeakSynthesisRealTimeFactor(benchmark::State &state)
{
    const QString sentence = QStringLiteral("The quick brown fox jumps over the lazy dog near the riverbank.");
    double audioSeconds = 0;
    for (auto _ : state) {
        const PCMAudio audio = EspeakNgSpeechSynthesizer::synthesize(sentence, QStringLiteral("american"));
        audioSeconds += static_cast<double>(audio.frameCount()) / audio.sampleRate;
    }
    // Seconds of computing per second of speech (the iteration time over the audio length).
    state.counters["audio_s_per_iteration"] = audioSeconds / static_cast<double>(state.iterations());
    state.counters["real_time_factor"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EspeakSynthesisRealTimeFactor)->Unit(benchmark::kMillisecond);

// Reads the default sink's monitor through parec (Qt lists no monitor sources) and notes
// when a sample is no longer silent.
class MonitorListener {
public:
    MonitorListener()
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { read(); });
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--latency-msec=5"),
                         QStringLiteral("--raw"), QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                         QStringLiteral("--rate=44100")});
        m_process.waitForStarted();
    }
    ~MonitorListener()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }

    void arm() { m_heard = false; }
    bool heard() const { return m_heard; }

private:
    void read()
    {
        const QByteArray data = m_process.readAllStandardOutput();
        const auto *samples = reinterpret_cast<const qint16 *>(data.constData());
        m_heard = m_heard
                  || std::any_of(samples, samples + data.size() / 2, [](qint16 s) { return std::abs(s) > 200; });
    }

    QProcess m_process;
    bool m_heard = false;
};

void runEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// A free function: a coroutine lambda's captures would die with the temporary closure.
QCoro::Task<void> speakHello(SystemSpeechClient &voice, CancellationToken cancellation, bool &finished)
{
    try {
        co_await voice.speak(QStringLiteral("hello"), QStringLiteral("american"), std::move(cancellation));
    } catch (...) {
    }
    finished = true;
}

void BM_PlayToFirstAudioFrame(benchmark::State &state)
{
    if (QMediaDevices::audioOutputs().isEmpty()) {
        state.SkipWithError("no sound server (run inside scripts/with-desktop-session.sh)");
        return;
    }
    MonitorListener monitor;
    SystemSpeechSynthesizerClient voice;
    // Warm: the engine and the connection to the sound server exist before timing starts.
    {
        bool finished = false;
        auto task = speakHello(voice, {}, finished);
        runEventsUntil([&] { return finished; }, 5000);
    }
    for (auto _ : state) {
        runEventsUntil([] { return false; }, 100); // the monitor goes quiet
        monitor.arm();
        CancellationToken cancellation;
        QElapsedTimer precise;
        precise.start();
        bool finished = false;
        auto task = speakHello(voice, cancellation, finished);
        runEventsUntil([&] { return monitor.heard(); }, 2000);
        const qint64 elapsedNs = precise.nsecsElapsed();
        cancellation.cancel();
        runEventsUntil([&] { return finished; }, 2000);
        if (!monitor.heard()) {
            state.SkipWithError("the monitor heard nothing");
            return;
        }
        state.SetIterationTime(static_cast<double>(elapsedNs) / 1e9);
    }
}
BENCHMARK(BM_PlayToFirstAudioFrame)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    return runBenchmarks<QCoreApplication>(argc, argv);
}
