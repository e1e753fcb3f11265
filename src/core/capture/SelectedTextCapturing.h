#pragma once

#include "foundation/CancellationToken.h"

#include <QCoro/QCoroTask>
#include <QString>

// Captures what the user has selected in the application in front.
class SelectedTextCapturing {
public:
    virtual ~SelectedTextCapturing() = default;

    // The selected text trimmed at both ends, never empty. Fails with AppError, or with
    // CancellationError when the token is cancelled.
    virtual QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation = {}) = 0;
};
