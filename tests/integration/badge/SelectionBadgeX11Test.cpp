#include "badge/SelectionBadgeController.h"
#include "badge/SelectionBadgeGeometry.h"
#include "platform/x11/X11RecordMouseMonitor.h"
#include "platform/x11/X11ScreenCaptureProbe.h"
#include "views/badge/SelectionBadgePresenter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStyleHints>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Lets the event loop run until the condition holds or the time is up (tests only).
bool waitUntil(const std::function<bool()> &condition, int milliseconds = 3000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition() && elapsed.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// Long enough for the next press to start a new click series.
void pauseClicks() { waitUntil([] { return false; }, QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100); }

QString xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

struct FixedCapture : SelectedTextCapturing {
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation) override
    {
        cancellation.throwIfCancelled();
        co_return QStringLiteral(" selected words ");
    }
};

// The whole badge under X: the RECORD mouse watch, the badge window and the controller, with
// another client holding the keyboard focus that the badge must never take.
TEST(SelectionBadgeX11Test, SelectingWithTheMouseShowsTheBadgeAndItsClickRequestsALookup)
{
    QProcess focusTarget;
    focusTarget.start(QStringLiteral(RAROZEZEV_BADGE_FOCUS_TARGET), {});
    waitUntil([&] { return focusTarget.canReadLine(); }, 10000);
    const QString targetWindow = QString::fromUtf8(focusTarget.readLine()).trimmed();
    const auto focused = [] { return xdotool({QStringLiteral("getwindowfocus")}); };
    ASSERT_EQ(focused(), targetWindow);

    std::vector<QString> lookups;
    SelectionBadgePresenter *presenter = nullptr;
    X11ScreenCaptureProbe probe;
    SelectionBadgeController::Environment environment;
    environment.makeMonitor = [] { return std::make_unique<X11RecordMouseMonitor>(); };
    environment.makePresenter = [&] { return std::unique_ptr<SelectionBadgePresenter>(presenter = new SelectionBadgePresenter); };
    environment.makeCapture = [] { return std::make_unique<FixedCapture>(); };
    environment.pointerLocation = [] { return QPointF(QCursor::pos()); };
    environment.isScreenCaptureInterfaceActive = [&] { return probe.isScreenCaptureInterfaceActive(); };
    SelectionBadgeController controller([&](const QString &text) { lookups.push_back(text); }, std::move(environment));
    controller.configure(true);
    ASSERT_TRUE(controller.isMonitoring());
    waitUntil([] { return false; }, 200);
    const auto badgeShown = [&] { return presenter && presenter->window() && presenter->window()->isVisible(); };

    // A drag across the target's text: press, relative moves, release.
    xdotool({"mousemove", "120", "120", "mousedown", "1", "mousemove_relative", "--", "40", "0",
             "mousemove_relative", "--", "60", "0", "mouseup", "1"});
    ASSERT_TRUE(waitUntil(badgeShown));
    // Next to the pointer; the window manager's configure notice can trail the map.
    const QPoint expected = (QPointF(220, 120) + SelectionBadgeGeometry::badgeOffset).toPoint();
    EXPECT_TRUE(waitUntil([&] { return presenter->window()->geometry().topLeft() == expected; }))
        << presenter->window()->geometry().x() << "," << presenter->window()->geometry().y();
    EXPECT_EQ(focused(), targetWindow);

    xdotool({"mousemove", QString::number(expected.x() + 15), QString::number(expected.y() + 15), "click", "1"});
    ASSERT_TRUE(waitUntil([&] { return lookups.size() == 1; }));
    EXPECT_EQ(lookups[0], QStringLiteral("selected words"));
    EXPECT_FALSE(badgeShown());
    EXPECT_EQ(focused(), targetWindow);

    // A double click selects a word and shows the badge; a plain click elsewhere hides it.
    pauseClicks();
    xdotool({"mousemove", "150", "120", "click", "--repeat", "2", "--delay", "80", "1"});
    ASSERT_TRUE(waitUntil(badgeShown));
    pauseClicks();
    xdotool({"mousemove", "700", "600", "click", "1"});
    EXPECT_TRUE(waitUntil([&] { return !badgeShown(); }));

    // Once turned off, the mouse is no longer watched.
    controller.configure(false);
    pauseClicks();
    xdotool({"mousemove", "120", "120", "mousedown", "1", "mousemove", "300", "120", "mouseup", "1"});
    EXPECT_FALSE(waitUntil(badgeShown, 600));
    EXPECT_EQ(lookups.size(), 1u);
    focusTarget.kill();
    focusTarget.waitForFinished(5000);
}

} // namespace
