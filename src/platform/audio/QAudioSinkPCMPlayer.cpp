#include "platform/audio/QAudioSinkPCMPlayer.h"

#include "foundation/AppError.h"
#include "platform/audio/AudioOutputAvailability.h"
#include "platform/audio/PlaybackCompletion.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>


#include <memory>

namespace {

// Beyond the sound itself, how long the output may take to start and to play out its buffer.
constexpr std::chrono::milliseconds kOutputAllowance{5000};
constexpr std::chrono::milliseconds kDrainPollInterval{10};

} // namespace

QCoro::Task<void> QAudioSinkPCMPlayer::play(PCMAudio audio, CancellationToken cancellation)
{
    cancellation.throwIfCancelled();
    AudioOutputAvailability::noteEngineStarted();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        throw AppError::textToSpeechFailed(AudioOutputAvailability::noAudioOutputMessage);

    QAudioFormat format;
    format.setSampleRate(audio.sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    const auto duration = audio.duration();
    QBuffer source(&audio.samples);
    source.open(QIODevice::ReadOnly);

    PlaybackCompletion completion(cancellation);
    const auto sink = std::make_unique<QAudioSink>(device, format);
    QAudioSink *const output = sink.get();
    QObject::connect(output, &QAudioSink::stateChanged, &completion, [output, &completion](QAudio::State state) {
        // Idle: every sample has gone to the sound server.
        if (state == QAudio::IdleState)
            completion.finish();
        else if (state == QAudio::StoppedState && output->error() != QAudio::NoError)
            completion.fail(AudioOutputAvailability::noAudioOutputMessage);
    });
    const CancellationToken::Registration silence = cancellation.onCancel([output] {
        output->reset();
        output->stop();
    });
    output->start(&source);
    if (output->error() != QAudio::NoError)
        completion.fail(AudioOutputAvailability::noAudioOutputMessage);

    std::exception_ptr failure;
    try {
        co_await completion.wait(duration + kOutputAllowance);
        // Idle only means the sound server holds the rest. What it has played is the stream's
        // clock, which the output reports as processed time; the clock is interpolated, so the
        // last poll interval counts as played.
        PlaybackCompletion drained(cancellation);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &drained, [&] {
            if (std::chrono::microseconds(output->processedUSecs()) + kDrainPollInterval >= duration)
                drained.finish();
        });
        poll.start(kDrainPollInterval);
        co_await drained.wait(duration + kOutputAllowance);
    } catch (...) {
        failure = std::current_exception();
    }
    QObject::disconnect(output, nullptr, &completion, nullptr);
    // A failure silences the output at once instead of letting it play out its buffer.
    if (failure)
        output->reset();
    output->stop();
    if (failure)
        std::rethrow_exception(failure);
}
