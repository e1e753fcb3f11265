#pragma once

#include "capture/AccessibilitySelectedTextReading.h"
#include "capture/SelectedTextCapturing.h"
#include "capture/SelectionCaptureClock.h"
#include "capture/SelectionCaptureGate.h"
#include "capture/SelectionCopyEventPosting.h"
#include "capture/SelectionPasteboard.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// Reads the selection: the accessibility read first; when it yields nothing, the copy
// keystroke with the clipboard saved beforehand and put back afterwards, so the user's
// clipboard survives the lookup. Holds no state between captures; captures over the same
// gate borrow the clipboard one after the other, a later one waiting for the earlier one to
// put it back.
class SelectionCaptureService : public SelectedTextCapturing {
public:
    SelectionCaptureService(std::shared_ptr<SelectionPasteboard> pasteboard,
                            std::shared_ptr<SelectionCopyEventPosting> copyEventPoster,
                            std::shared_ptr<SelectionCaptureClock> clock,
                            std::shared_ptr<AccessibilitySelectedTextReading> accessibilitySelectedTextReader,
                            std::function<bool()> isAccessibilityTrusted,
                            quint64 timeoutNanoseconds,
                            quint64 pollIntervalNanoseconds,
                            std::shared_ptr<SelectionCaptureGate> gate);

    // The service may be destroyed while a capture is pending: the capture keeps its own
    // references to the collaborators.
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation = {}) override;

    // Trims whitespace and line breaks at both ends; absent or blank text throws
    // AppError::selectedTextUnavailable.
    static QString validatedCapturedText(const std::optional<QString> &text);

private:
    struct Collaborators {
        std::shared_ptr<SelectionPasteboard> pasteboard;
        std::shared_ptr<SelectionCopyEventPosting> copyEventPoster;
        std::shared_ptr<SelectionCaptureClock> clock;
        std::shared_ptr<AccessibilitySelectedTextReading> accessibilitySelectedTextReader;
        std::function<bool()> isAccessibilityTrusted;
        quint64 timeoutNanoseconds = 0;
        quint64 pollIntervalNanoseconds = 0;
        std::shared_ptr<SelectionCaptureGate> gate;
    };

    static QCoro::Task<QString> capture(Collaborators collaborators, CancellationToken cancellation);
    static QCoro::Task<SelectionCaptureGate::Pass> enterGate(const Collaborators &collaborators,
                                                              const CancellationToken &cancellation);
    static QCoro::Task<bool> waitForPasteboardChange(const Collaborators &collaborators, qint64 after,
                                                     const CancellationToken &cancellation);

    Collaborators m_collaborators;
};
