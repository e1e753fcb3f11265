#pragma once

#include "foundation/CancellationToken.h"

#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

// The one outcome of a playback: it finished, failed with a message, or was cancelled,
// whichever is reported first; later reports are ignored. Lets a coroutine wait for the
// first of several signals of an audio object. The player silences its output itself on
// cancellation; the waiting coroutine learns of it from the event loop.
class PlaybackCompletion : public QObject {
    Q_OBJECT

public:
    // Cancelling the token settles the completion as cancelled.
    explicit PlaybackCompletion(const CancellationToken &cancellation);

    void finish();
    void fail(QString message);

    // Resolves once finished; throws AppError (textToSpeechFailed) for a failure or when
    // nothing is reported within `timeout`, CancellationError when cancelled.
    QCoro::Task<void> wait(std::chrono::milliseconds timeout);

signals:
    void settled();

private:
    enum class Outcome { finished, failed, cancelled };

    void settle(Outcome outcome, QString message = {});

    std::optional<Outcome> m_outcome;
    QString m_message;
    CancellationToken::Registration m_registration;
};
