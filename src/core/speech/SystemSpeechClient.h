#pragma once

#include "foundation/CancellationToken.h"

#include <QCoroTask>
#include <QString>

// The desktop's own voice. Main thread only.
class SystemSpeechClient {
public:
    virtual ~SystemSpeechClient() = default;

    // Speaks the text in the accent ("british" for British English, anything else American)
    // and resolves once it has been heard to the end. Throws AppError for a blank text or when
    // nothing can be played, CancellationError when `cancellation` fired or a newer `speak`
    // took over; the sound stops at once in both cases.
    virtual QCoro::Task<void> speak(QString text, QString accent, CancellationToken cancellation = {}) = 0;
};
