#include "badge/SelectionBadgeGeometry.h"
#include "integration/app/TrayApplicationHarness.h"

#include <QHash>
#include <QRect>

namespace {

// A window's frame on the root window, from xdotool's shell-style answer.
QRect windowGeometry(const QString &window)
{
    QHash<QString, int> values;
    for (const QString &line : TrayApplicationHarness::xdotool({"getwindowgeometry", "--shell", window}).split('\n'))
        values.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1).toInt());
    return QRect(values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT"));
}

// The application's small square window.
QString visibleBadge()
{
    for (const QString &window : TrayApplicationHarness::visibleWindows()) {
        if (windowGeometry(window).size() == SelectionBadgeGeometry::badgeSize.toSize())
            return window;
    }
    return {};
}

using SelectionBadgeEndToEndTest = TrayApplicationHarness;

// With the badge switched on, the learner drags across text in another application and
// clicks the badge that appears.
TEST_F(SelectionBadgeEndToEndTest, ADragShowsABadgeThatLeavesTheFocusAloneAndItsClickExplainsTheSelection)
{
    configureService();
    ASSERT_EQ(run({"config", "set", "selectionBadgeEnabled", "true"}).exitCode, 0);
    ASSERT_TRUE(startApplication());
    startTarget(QStringLiteral("break the ice"));
    // The mouse monitor is installed once the application runs; give it a moment to attach.
    waitForTask(QCoro::sleepFor(300ms));

    const QRect frame = windowGeometry(targetWindow);
    QStringList drag{"mousemove", "--sync", QString::number(frame.x() + 3), QString::number(frame.center().y()),
                     "mousedown", "1"};
    for (int step = 0; step < 6; ++step)
        drag << "mousemove_relative" << "--" << "50" << "0";
    xdotool(drag << "mouseup" << "1");
    ASSERT_TRUE(waitUntil([] { return !visibleBadge().isEmpty(); })) << logText().toStdString();
    const QRect badge = windowGeometry(visibleBadge());
    EXPECT_LE(std::abs(badge.center().y() - frame.center().y()), 60) << "near the release point";
    waitForTask(QCoro::sleepFor(200ms));
    EXPECT_EQ(xdotool({"getwindowfocus"}), targetWindow);
    EXPECT_TRUE(server.requests().isEmpty()) << "nothing is looked up until the badge is clicked";

    // A pause first, so that the click starts a new click series rather than a double click.
    waitForTask(QCoro::sleepFor(700ms));
    xdotool({"mousemove", "--sync", QString::number(badge.center().x()), QString::number(badge.center().y()), "click", "1"});
    ASSERT_TRUE(serverReceivedPromptWith(QStringLiteral("break the ice"))) << logText().toStdString();
    const QJsonObject panel = loadedPanel();
    EXPECT_EQ(panel["selectedText"].toString(), QStringLiteral("break the ice"));
    EXPECT_EQ(panel["explanation"].toString(), explanation);
    EXPECT_TRUE(waitUntil([] { return visibleBadge().isEmpty(); }));
}

} // namespace
