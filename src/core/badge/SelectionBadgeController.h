#pragma once

#include "capture/SelectedTextCapturing.h"
#include "badge/SelectionBadgePresenting.h"
#include "badge/SelectionBadgeService.h"
#include "badge/SelectionDragTracker.h"
#include "badge/SelectionMouseMonitoring.h"
#include "foundation/CancellationToken.h"

#include <QCoro/QCoroTask>
#include <QMetaObject>
#include <QPointF>
#include <QString>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class AppNotificationCenter;

// True when the text holds at least one Latin letter: only such selections get a badge.
bool shouldShowSelectionBadge(const QString &text);

// The selection badge trigger: watches the left mouse button everywhere, and a short while
// after a gesture that looks like a text selection captures the selection and shows the badge
// next to the pointer. A click on the badge hands the text to `onLookupRequested`.
// At most one capture is pending; a newer gesture cancels it, and while a screenshot or
// screen-recording tool is running nothing is captured, so no copy keystroke lands in it.
// Main thread only.
class SelectionBadgeController {
public:
    using Sleep = std::function<QCoro::Task<void>(std::chrono::milliseconds, CancellationToken)>;
    using ErrorLogger = std::function<void(const char *context, const std::exception &error)>;

    // The desktop behind the controller; tests pass fakes.
    struct Environment {
        std::function<std::unique_ptr<SelectionMouseMonitoring>()> makeMonitor;
        std::function<std::unique_ptr<SelectionBadgePresenting>()> makePresenter;
        // Called once per capture, so every capture gets a fresh service.
        std::function<std::unique_ptr<SelectedTextCapturing>()> makeCapture;
        std::function<QPointF()> pointerLocation;
        std::function<bool()> isScreenCaptureInterfaceActive;
        // Defaults to timerSleep.
        Sleep sleep;
        // Defaults to AppLogger::error.
        ErrorLogger logError;
    };

    // Long enough for a following click or drag to cancel the capture before it touches the
    // clipboard.
    static constexpr std::chrono::milliseconds captureDelay{180};
    static constexpr const char *captureFailureContext = "Failed to capture selection for badge";
    static constexpr const char *monitorFailureContext = "Failed to start selection badge mouse monitor";

    SelectionBadgeController(std::function<void(const QString &)> onLookupRequested, Environment environment);
    ~SelectionBadgeController();

    SelectionBadgeController(const SelectionBadgeController &) = delete;
    SelectionBadgeController &operator=(const SelectionBadgeController &) = delete;

    // Enabled: creates the badge service (kept from then on) and installs the mouse monitor if
    // none is installed. Disabled: stopSelectionBadgeMonitor().
    void configure(bool enabled);
    // Removes the monitor, forgets the press, cancels the pending capture and hides the badge.
    void stopSelectionBadgeMonitor();
    void ensureSelectionBadgeService();

    // Re-reads `isEnabled` and configures whenever "lookupTriggerPreferencesChanged" is posted
    // on `center`, until this controller is destroyed. Replaces an earlier subscription.
    void followTriggerPreferences(AppNotificationCenter &center, std::function<bool()> isEnabled);

    void handleSelectionMouseEvent(const SelectionMouseEvent &event);
    // Cancels the pending capture and starts a new one after captureDelay.
    void captureSelectionForBadgeSoon();

    bool isMonitoring() const { return m_monitor != nullptr; }
    bool hasPendingCapture() const { return m_pendingCapture.has_value(); }
    SelectionBadgeService *service() const { return m_service.get(); }
    const SelectionDragTracker &dragTracker() const { return m_dragTracker; }

    // A sleep on a Qt timer that ends early, with CancellationError, when the token fires.
    static QCoro::Task<void> timerSleep(std::chrono::milliseconds duration, CancellationToken cancellation);

private:
    QCoro::Task<void> captureForBadge(CancellationToken cancellation, quint64 generation);
    void cancelPendingCapture();
    void hideBadge();

    std::function<void(const QString &)> m_onLookupRequested;
    Environment m_environment;
    std::unique_ptr<SelectionMouseMonitoring> m_monitor;
    std::unique_ptr<SelectionBadgeService> m_service;
    SelectionDragTracker m_dragTracker;
    std::optional<CancellationToken> m_pendingCapture;
    quint64 m_captureGeneration = 0;
    QMetaObject::Connection m_preferencesConnection;
    // Captures that outlive the controller see this expire and stop.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};
