#include "capture/SelectionCaptureService.h"

#include "foundation/AppError.h"

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
    std::function<bool()> isAccessibilityTrusted, quint64 timeoutNanoseconds, quint64 pollIntervalNanoseconds,
    std::shared_ptr<SelectionCaptureGate> gate)
    : m_collaborators{std::move(pasteboard),
                      std::move(copyEventPoster),
                      std::move(clock),
                      std::move(accessibilitySelectedTextReader),
                      std::move(isAccessibilityTrusted),
                      timeoutNanoseconds,
                      pollIntervalNanoseconds,
                      std::move(gate)}
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

    const SelectionCaptureGate::Pass pass = co_await enterGate(collaborators, cancellation);
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

    // Whatever else happened, the text or the cancellation included, the user must learn that
    // their clipboard was not put back.
    if (!restored)
        throw AppError::clipboardRestoreFailed();
    if (failure)
        std::rethrow_exception(failure);
    co_return text;
}

QCoro::Task<SelectionCaptureGate::Pass> SelectionCaptureService::enterGate(const Collaborators &collaborators,
                                                                           const CancellationToken &cancellation)
{
    // The capture inside lasts at most its own timeout, so the wait ends too.
    const quint64 pollInterval = std::max<quint64>(collaborators.pollIntervalNanoseconds, 1'000'000);
    while (!collaborators.gate->isOpen())
        co_await collaborators.clock->sleep(pollInterval, cancellation);
    co_return collaborators.gate->enter();
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
