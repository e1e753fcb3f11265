#include "platform/audio/QMediaPlayerAudioPlayer.h"

#include "foundation/AppError.h"
#include "platform/audio/AudioOutputAvailability.h"
#include "platform/audio/PlaybackCompletion.h"

#include <QAudioOutput>
#include <QBuffer>
#include <QMediaPlayer>
#include <QUrl>

namespace {

// How long the player may take to decode the start of the audio and begin playing.
constexpr std::chrono::milliseconds kStartAllowance{10000};
// Once playing: the audio's length is known from the player, plus this much to play out.
constexpr std::chrono::milliseconds kOutputAllowance{5000};

QString decodingFailure(const QString &detail)
{
    return QStringLiteral("无法播放返回的音频：") + detail;
}

} // namespace

QCoro::Task<void> QMediaPlayerAudioPlayer::play(QByteArray audio, CancellationToken cancellation)
{
    cancellation.throwIfCancelled();
    if (!AudioOutputAvailability::hasAudioOutput())
        throw AppError::textToSpeechFailed(AudioOutputAvailability::noAudioOutputMessage);

    QBuffer source(&audio);
    source.open(QIODevice::ReadOnly);
    QAudioOutput output;
    AudioOutputAvailability::noteEngineStarted();
    QMediaPlayer player;
    player.setAudioOutput(&output);

    PlaybackCompletion started(cancellation);
    PlaybackCompletion ended(cancellation);
    QObject::connect(&player, &QMediaPlayer::errorOccurred, &ended,
                     [&](QMediaPlayer::Error, const QString &message) {
                         const QString failure = decodingFailure(message.isEmpty() ? QStringLiteral("未知错误") : message);
                         started.fail(failure);
                         ended.fail(failure);
                     });
    QObject::connect(&player, &QMediaPlayer::playbackStateChanged, &started, [&](QMediaPlayer::PlaybackState state) {
        if (state == QMediaPlayer::PlayingState)
            started.finish();
    });
    QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &ended, [&](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia) {
            started.finish();
            ended.finish();
        } else if (status == QMediaPlayer::InvalidMedia) {
            started.fail(decodingFailure(QStringLiteral("格式无法识别")));
            ended.fail(decodingFailure(QStringLiteral("格式无法识别")));
        }
    });
    const CancellationToken::Registration silence = cancellation.onCancel([&player] { player.stop(); });

    // The name only hints at the container; the decoder looks at the bytes themselves.
    player.setSourceDevice(&source, QUrl(QStringLiteral("speech")));
    player.play();

    std::exception_ptr failure;
    try {
        co_await started.wait(kStartAllowance);
        const auto length = std::chrono::milliseconds(std::max<qint64>(player.duration(), 0));
        co_await ended.wait(length + kOutputAllowance);
    } catch (...) {
        failure = std::current_exception();
    }
    QObject::disconnect(&player, nullptr, nullptr, nullptr);
    player.stop();
    if (failure)
        std::rethrow_exception(failure);
}
