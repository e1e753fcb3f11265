#include "badge/SelectionBadgeController.h"

#include "foundation/AppError.h"
#include "logging/AppLogger.h"
#include "foundation/AppNotificationCenter.h"
#include "foundation/CancellableSleep.h"
#include "foundation/CancellationError.h"

#include <QCoro/QCoroTimer>
#include <QObject>
#include <QRegularExpression>
#include <QTimer>

#include <stdexcept>
#include <utility>

bool shouldShowSelectionBadge(const QString &text)
{
    static const QRegularExpression latinLetter(QStringLiteral("[A-Za-z]"));
    return latinLetter.match(text).hasMatch();
}

SelectionBadgeController::SelectionBadgeController(std::function<void(const QString &)> onLookupRequested,
                                                   Environment environment)
    : m_onLookupRequested(std::move(onLookupRequested)), m_environment(std::move(environment))
{
    if (!m_environment.sleep)
        m_environment.sleep = &SelectionBadgeController::timerSleep;
    if (!m_environment.logError)
        m_environment.logError = [](const char *context, const std::exception &error) {
            AppLogger::error(context, error);
        };
}

SelectionBadgeController::~SelectionBadgeController()
{
    QObject::disconnect(m_preferencesConnection);
    if (m_monitor)
        m_monitor->stop();
    cancelPendingCapture();
}

void SelectionBadgeController::configure(bool enabled)
{
    if (!enabled) {
        stopSelectionBadgeMonitor();
        return;
    }
    ensureSelectionBadgeService();
    if (m_monitor)
        return;
    auto monitor = m_environment.makeMonitor();
    // Events reach the controller directly on the main thread; the monitor dies before this.
    if (!monitor->start([this](const SelectionMouseEvent &event) { handleSelectionMouseEvent(event); })) {
        // Left uninstalled, so the next configuration tries again.
        m_environment.logError(monitorFailureContext,
                               std::runtime_error("the display offers no way to watch the mouse"));
        return;
    }
    m_monitor = std::move(monitor);
}

void SelectionBadgeController::stopSelectionBadgeMonitor()
{
    if (m_monitor) {
        m_monitor->stop();
        m_monitor.reset();
    }
    m_dragTracker.reset();
    cancelPendingCapture();
    hideBadge();
}

void SelectionBadgeController::ensureSelectionBadgeService()
{
    if (!m_service)
        m_service = std::make_unique<SelectionBadgeService>(m_environment.makePresenter(), m_onLookupRequested);
}

void SelectionBadgeController::followTriggerPreferences(AppNotificationCenter &center, std::function<bool()> isEnabled)
{
    QObject::disconnect(m_preferencesConnection);
    // The connection is cut in the destructor, so capturing `this` is safe.
    m_preferencesConnection = QObject::connect(
        &center, &AppNotificationCenter::posted, [this, isEnabled = std::move(isEnabled)](AppNotification name) {
            if (name == AppNotification::lookupTriggerPreferencesChanged)
                configure(isEnabled());
        });
}

void SelectionBadgeController::handleSelectionMouseEvent(const SelectionMouseEvent &event)
{
    if (m_environment.isScreenCaptureInterfaceActive()) {
        m_dragTracker.reset();
        cancelPendingCapture();
        hideBadge();
        return;
    }
    switch (event.kind) {
    case SelectionMouseEvent::Kind::leftMouseDown:
        m_dragTracker.mouseDown(event.location);
        break;
    case SelectionMouseEvent::Kind::leftMouseDragged:
        m_dragTracker.mouseDragged(event.location);
        break;
    case SelectionMouseEvent::Kind::leftMouseUp:
        if (m_dragTracker.shouldCaptureOnMouseUp(event.location, event.clickCount)) {
            captureSelectionForBadgeSoon();
        } else {
            cancelPendingCapture();
            hideBadge();
        }
        break;
    }
}

void SelectionBadgeController::captureSelectionForBadgeSoon()
{
    cancelPendingCapture();
    ensureSelectionBadgeService();
    const CancellationToken cancellation;
    m_pendingCapture = cancellation;
    // The task runs on by itself once started; the token and the lifetime guard stop it.
    captureForBadge(cancellation, ++m_captureGeneration);
}

QCoro::Task<void> SelectionBadgeController::captureForBadge(CancellationToken cancellation, quint64 generation)
{
    const std::weak_ptr<int> alive = m_lifetime;
    const auto finished = [this, &alive, generation] {
        if (!alive.expired() && generation == m_captureGeneration)
            m_pendingCapture.reset();
    };
    try {
        co_await m_environment.sleep(captureDelay, cancellation);
        if (alive.expired() || cancellation.isCancelled())
            co_return;
        std::unique_ptr<SelectedTextCapturing> capture = m_environment.makeCapture();
        const QString text = (co_await capture->captureSelectedTextUsingClipboardFallback(cancellation)).trimmed();
        // A newer gesture or the badge being turned off supersedes this capture.
        if (alive.expired() || cancellation.isCancelled())
            co_return;
        finished();
        if (text.isEmpty())
            throw AppError::selectedTextUnavailable();
        if (shouldShowSelectionBadge(text))
            m_service->show(text, m_environment.pointerLocation());
        else
            m_service->hide();
    } catch (const CancellationError &) {
        // A newer gesture took over; it decides what the badge shows.
    } catch (const std::exception &error) {
        if (alive.expired() || cancellation.isCancelled())
            co_return;
        finished();
        m_environment.logError(captureFailureContext, error);
        m_service->hide();
    }
}

void SelectionBadgeController::cancelPendingCapture()
{
    if (m_pendingCapture) {
        const CancellationToken cancellation = *m_pendingCapture;
        m_pendingCapture.reset();
        cancellation.cancel();
    }
}

void SelectionBadgeController::hideBadge()
{
    if (m_service)
        m_service->hide();
}

QCoro::Task<void> SelectionBadgeController::timerSleep(std::chrono::milliseconds duration,
                                                       CancellationToken cancellation)
{
    co_await cancellableSleep(duration, std::move(cancellation));
}
