#include "platform/audio/PlaybackCompletion.h"

#include "foundation/AppError.h"
#include "foundation/CancellationError.h"

#include <QCoroSignal>

PlaybackCompletion::PlaybackCompletion(const CancellationToken &cancellation)
{
    m_registration = cancellation.onCancel([this] { settle(Outcome::cancelled); });
}

void PlaybackCompletion::finish() { settle(Outcome::finished); }

void PlaybackCompletion::fail(QString message) { settle(Outcome::failed, std::move(message)); }

void PlaybackCompletion::settle(Outcome outcome, QString message)
{
    if (m_outcome)
        return;
    m_outcome = outcome;
    m_message = std::move(message);
    // Reported from the event loop: the waiting coroutine then ends (and destroys the audio
    // objects) outside the signal handler or cancellation that settled it.
    QMetaObject::invokeMethod(this, &PlaybackCompletion::settled, Qt::QueuedConnection);
}

QCoro::Task<void> PlaybackCompletion::wait(std::chrono::milliseconds timeout)
{
    if (!m_outcome)
        co_await qCoro(this, &PlaybackCompletion::settled, timeout);
    if (!m_outcome)
        throw AppError::textToSpeechFailed(QStringLiteral("音频输出没有响应，请检查声音设置。"));
    switch (*m_outcome) {
    case Outcome::finished:
        co_return;
    case Outcome::cancelled:
        throw CancellationError();
    case Outcome::failed:
        break;
    }
    throw AppError::textToSpeechFailed(m_message);
}
