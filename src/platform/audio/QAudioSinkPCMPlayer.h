#pragma once

#include "foundation/CancellationToken.h"
#include "speech/PCMAudio.h"

#include <QCoro/QCoroTask>

// Plays synthesised samples through the default audio output of Qt Multimedia (the sound
// server's default sink). Main thread only.
class QAudioSinkPCMPlayer {
public:
    // Resolves once the samples have been played to the end. Throws AppError when there is
    // no audio output or it fails, CancellationError when `cancellation` fired; the sound
    // stops at once then.
    static QCoro::Task<void> play(PCMAudio audio, CancellationToken cancellation);
};
