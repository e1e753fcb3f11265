#include "platform/x11/X11RecordMouseMonitor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStyleHints>

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

void xdotool(const QStringList &arguments) { QProcess::execute(QStringLiteral("xdotool"), arguments); }

// The badge's mouse watch on a real server. (The badge itself, shown by a drag and clicked, is
// part of the tray application's end-to-end test.)
TEST(X11RecordMouseMonitorTest, SeesLeftPressesAndReleasesWithRootCoordinatesAndClickCountsUntilStopped)
{
    std::vector<SelectionMouseEvent> events;
    X11RecordMouseMonitor monitor;
    ASSERT_TRUE(monitor.start([&](const SelectionMouseEvent &event) { events.push_back(event); }));
    waitUntil([] { return false; }, 200);

    xdotool({"mousemove", "700", "500", "mousedown", "1", "mousemove_relative", "--", "60", "5", "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events[0].kind, SelectionMouseEvent::Kind::leftMouseDown);
    EXPECT_EQ(events[0].location, QPointF(700, 500));
    EXPECT_EQ(events[1].kind, SelectionMouseEvent::Kind::leftMouseUp);
    EXPECT_EQ(events[1].location, QPointF(760, 505));

    // A new series after the double-click interval, then three quick clicks.
    waitUntil([] { return false; }, QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
    events.clear();
    xdotool({"click", "--repeat", "3", "--delay", "50", "1", "click", "3"});
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 6; }));
    waitUntil([] { return false; }, 300);
    std::vector<int> counts;
    for (const SelectionMouseEvent &event : events)
        counts.push_back(event.clickCount);
    EXPECT_EQ(counts, (std::vector{1, 1, 2, 2, 3, 3})) << "the right button is not watched";

    monitor.stop();
    monitor.stop();
    events.clear();
    xdotool({"click", "1"});
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(events.empty()) << "nothing arrives once stopped";
}

} // namespace
