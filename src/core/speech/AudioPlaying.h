#pragma once

#include "foundation/CancellationToken.h"

#include <QByteArray>
#include <QCoroTask>

// Plays encoded audio (MP3 or WAV) held in memory. Main thread only.
class AudioPlaying {
public:
    virtual ~AudioPlaying() = default;

    // Resolves once the sound has played to the end. Throws AppError when the bytes cannot be
    // decoded or no audio output is available, CancellationError when `cancellation` fired
    // (the sound stops at once).
    virtual QCoro::Task<void> play(QByteArray audio, CancellationToken cancellation = {}) = 0;
};
