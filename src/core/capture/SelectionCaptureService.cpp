#include "capture/SelectionCaptureService.h"

#include "foundation/AppError.h"
#include "foundation/CancellationError.h"

#include <algorithm>
#include <exception>

namespace {

std::optional<QString> trimmedNonEmpty(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    // QString::trimmed drops the Unicode whitespace set, line breaks included.
    QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

} // namespace

SelectionCaptureService::SelectionCaptureService(
    std::shared_ptr<SelectionPasteboard> pasteboard, std::shared_ptr<SelectionCopyEventPosting> copyEventPoster,
    std::shared_ptr<SelectionCaptureClock> clock,
    std::shared_ptr<AccessibilitySelectedTextReading> accessibilitySelectedTextReader,
    std::function<bool()> isAccessibilityTrusted, quint64 timeoutNanoseconds, quint64 pollIntervalNanoseconds)
    : m_collaborators{std::move(pasteboard),
                      std::move(copyEventPoster),
                      std::move(clock),
                      std::move(accessibilitySelectedTextReader),
                      std::move(isAccessibilityTrusted),
                      timeoutNanoseconds,
                      pollIntervalNanoseconds}
{
}

QCoro::Task<QString> SelectionCaptureService::captureSelectedTextUsingClipboardFallback(CancellationToken cancellation)
{
    return capture(m_collaborators, std::move(cancellation));
}

QString SelectionCaptureService::validatedCapturedText(const std::optional<QString> &text)
{
    if (auto trimmed = trimmedNonEmpty(text))
        return *trimmed;
    throw AppError::selectedTextUnavailable();
}

QCoro::Task<QString> SelectionCaptureService::capture(Collaborators collaborators, CancellationToken cancellation)
{
    if (!collaborators.isAccessibilityTrusted())
        throw AppError::permissionDenied(QStringLiteral("辅助功能"));

    if (auto text = trimmedNonEmpty(collaborators.accessibilitySelectedTextReader->selectedText()))
        co_return *text;

    SelectionPasteboard &pasteboard = *collaborators.pasteboard;
    SelectionPasteboardSnapshot snapshot;
    try {
        snapshot = pasteboard.snapshot();
    } catch (...) {
        throw AppError::clipboardSnapshotFailed();
    }

    pasteboard.clearContents();
    // Read after clearing: the clearing itself is a change and must not count as the copy.
    const qint64 clearedChangeCount = pasteboard.changeCount();

    QString text;
    std::exception_ptr failure;
    try {
        collaborators.copyEventPoster->postCopyShortcut();
        const bool changed = co_await waitForPasteboardChange(collaborators, clearedChangeCount, cancellation);
        if (!changed)
            throw AppError::selectedTextUnavailable();
        text = validatedCapturedText(pasteboard.stringValue());
    } catch (...) {
        failure = std::current_exception();
    }

    bool restored = true;
    try {
        pasteboard.restore(snapshot);
    } catch (...) {
        restored = false;
    }

    if (!failure) {
        // The text is dropped: the user must learn that their clipboard was not put back.
        if (!restored)
            throw AppError::clipboardRestoreFailed();
        co_return text;
    }
    if (!restored && !isCancellation(failure))
        throw AppError::clipboardRestoreFailed();
    std::rethrow_exception(failure);
}

QCoro::Task<bool> SelectionCaptureService::waitForPasteboardChange(const Collaborators &collaborators, qint64 after,
                                                                   const CancellationToken &cancellation)
{
    const quint64 timeout = collaborators.timeoutNanoseconds;
    // A zero poll interval would never advance the elapsed time; wait out the rest instead.
    const quint64 pollInterval = collaborators.pollIntervalNanoseconds > 0 ? collaborators.pollIntervalNanoseconds
                                                                           : timeout;
    quint64 elapsed = 0;
    for (;;) {
        if (collaborators.pasteboard->changeCount() != after)
            co_return true;
        if (timeout <= elapsed)
            co_return false;
        const quint64 step = std::min(timeout - elapsed, pollInterval);
        co_await collaborators.clock->sleep(step, cancellation);
        elapsed += step;
    }
}
