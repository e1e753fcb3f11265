#include "platform/x11/X11RecordMouseMonitor.h"
#include "platform/x11/X11ScreenCaptureProbe.h"
#include "badge/SelectionBadgeController.h"
#include "views/badge/SelectionBadgePresenter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStyleHints>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Lets the event loop run until the condition holds or the time is up (tests only).
bool waitUntil(const std::function<bool()> &condition, int milliseconds = 3000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void settle(int milliseconds)
{
    waitUntil([] { return false; }, milliseconds);
}

QString xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString focusedWindow() { return xdotool({QStringLiteral("getwindowfocus")}); }

// The focus target in another process; its window id once it holds the focus.
class FocusTarget {
public:
    FocusTarget()
    {
        m_process.start(QStringLiteral(RAROZEZEV_BADGE_FOCUS_TARGET), {});
        waitUntil([this] { return m_process.canReadLine(); }, 10000);
        windowId = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~FocusTarget()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString windowId;

private:
    QProcess m_process;
};

class SelectionBadgeX11Test : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Let the next test's presses start a new click series.
        settle(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
    }
};

struct FixedCapture : SelectedTextCapturing {
    QString text;
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation) override
    {
        cancellation.throwIfCancelled();
        co_return QString(text);
    }
};

} // namespace

TEST_F(SelectionBadgeX11Test, TheRecordMonitorSeesLeftPressesAndReleasesWithRootCoordinatesAndClickCounts)
{
    std::vector<SelectionMouseEvent> events;
    X11RecordMouseMonitor monitor;
    ASSERT_TRUE(monitor.start([&](const SelectionMouseEvent &event) { events.push_back(event); }));
    settle(200);

    xdotool({"mousemove", "700", "500", "mousedown", "1", "mousemove_relative", "--", "60", "5", "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events[0].kind, SelectionMouseEvent::Kind::leftMouseDown);
    EXPECT_EQ(events[0].location, QPointF(700, 500));
    EXPECT_EQ(events[1].kind, SelectionMouseEvent::Kind::leftMouseUp);
    EXPECT_EQ(events[1].location, QPointF(760, 505));
    EXPECT_EQ(events[1].clickCount, 1);

    settle(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
    events.clear();
    xdotool({"mousedown", "1", "mouseup", "1", "mousedown", "1", "mouseup", "1", "mousedown", "1", "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 6; }));
    std::vector<int> counts;
    for (const SelectionMouseEvent &event : events)
        counts.push_back(event.clickCount);
    EXPECT_EQ(counts, (std::vector{1, 1, 2, 2, 3, 3}));

    // Nothing arrives once stopped, and stopping twice is harmless.
    monitor.stop();
    monitor.stop();
    events.clear();
    xdotool({"click", "1"});
    settle(300);
    EXPECT_TRUE(events.empty());
}

TEST_F(SelectionBadgeX11Test, TheBadgeAppearsNearThePointerAndTakesNoFocusWhenShownOrClicked)
{
    FocusTarget target;
    ASSERT_FALSE(target.windowId.isEmpty());
    ASSERT_EQ(focusedWindow(), target.windowId);

    SelectionBadgePresenter presenter;
    int clicks = 0;
    presenter.show(QStringLiteral("hello"), QPointF(600, 400), [&] {
        ++clicks;
        presenter.hide();
    });
    QWidget *window = presenter.window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitUntil([&] { return window->isVisible() && window->geometry().topLeft() == QPoint(612, 412); }))
        << window->geometry().x() << "," << window->geometry().y();
    EXPECT_EQ(window->size(), QSize(42, 42));
    settle(200);
    EXPECT_EQ(focusedWindow(), target.windowId);

    xdotool({"mousemove", "633", "433", "click", "1"});
    ASSERT_TRUE(waitUntil([&] { return clicks == 1; }));
    EXPECT_EQ(presenter.window(), nullptr);
    settle(200);
    EXPECT_EQ(focusedWindow(), target.windowId);
}

TEST_F(SelectionBadgeX11Test, SelectingWithTheMouseShowsTheBadgeAndItsClickRequestsALookup)
{
    FocusTarget target;
    ASSERT_EQ(focusedWindow(), target.windowId);

    std::vector<QString> lookups;
    SelectionBadgePresenter *presenter = nullptr;
    X11ScreenCaptureProbe probe;
    SelectionBadgeController::Environment environment;
    environment.makeMonitor = [] { return std::make_unique<X11RecordMouseMonitor>(); };
    environment.makePresenter = [&] {
        auto made = std::make_unique<SelectionBadgePresenter>();
        presenter = made.get();
        return made;
    };
    environment.makeCapture = [] {
        auto capture = std::make_unique<FixedCapture>();
        capture->text = QStringLiteral(" selected words ");
        return capture;
    };
    environment.pointerLocation = [] { return QPointF(QCursor::pos()); };
    environment.isScreenCaptureInterfaceActive = [&] { return probe.isScreenCaptureInterfaceActive(); };
    SelectionBadgeController controller([&](const QString &text) { lookups.push_back(text); }, std::move(environment));
    controller.configure(true);
    ASSERT_TRUE(controller.isMonitoring());
    settle(200);

    const auto badgeShown = [&] { return presenter && presenter->window() && presenter->window()->isVisible(); };

    // A drag across the target's text: press, relative moves, release.
    xdotool({"mousemove", "120", "120", "mousedown", "1", "mousemove_relative", "--", "40", "0",
             "mousemove_relative", "--", "60", "0", "mouseup", "1"});
    ASSERT_TRUE(waitUntil(badgeShown));
    // The window manager's configure notice can trail the map by a moment.
    waitUntil([&] { return presenter->window()->geometry().topLeft() == QPoint(232, 132); });
    EXPECT_EQ(presenter->window()->geometry().topLeft(), QPoint(232, 132));
    EXPECT_EQ(focusedWindow(), target.windowId);

    xdotool({"mousemove", "250", "150", "click", "1"});
    ASSERT_TRUE(waitUntil([&] { return lookups.size() == 1; }));
    EXPECT_EQ(lookups[0], QStringLiteral("selected words"));
    EXPECT_FALSE(badgeShown());
    EXPECT_EQ(focusedWindow(), target.windowId);

    // A double click selects a word and shows the badge; a plain click elsewhere hides it.
    settle(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
    xdotool({"mousemove", "150", "120", "click", "--repeat", "2", "--delay", "80", "1"});
    ASSERT_TRUE(waitUntil(badgeShown));
    settle(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
    xdotool({"mousemove", "700", "600", "click", "1"});
    ASSERT_TRUE(waitUntil([&] { return !badgeShown(); }));
    settle(400);
    EXPECT_FALSE(badgeShown());
    EXPECT_EQ(lookups.size(), 1u);

    controller.configure(false);
    EXPECT_FALSE(controller.isMonitoring());
}
