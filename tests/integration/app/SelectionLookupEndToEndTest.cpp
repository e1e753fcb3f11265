#include "badge/SelectionBadgeGeometry.h"
#include "integration/app/TrayApplicationHarness.h"

#include <QHash>
#include <QRect>

// The three ways to look up text selected in another application: Alt+D, `lookup --selection`
// and the selection badge.
namespace {

using SelectionLookupEndToEndTest = TrayApplicationHarness;

// The learner selects text in another application and presses Alt+D, or the desktop's own
// shortcut bound to `rarozezev trigger`.
TEST_F(SelectionLookupEndToEndTest, AltDAndTheTriggerCommandExplainTheSelectionInTheLookupPanel)
{
    configureService();
    ASSERT_TRUE(startApplication());
    startTarget(QStringLiteral("take off"));
    // Selected from the keyboard, so that the text becomes the PRIMARY selection.
    xdotool({"windowactivate", "--sync", targetWindow});
    xdotool({"key", "End", "shift+Home"});

    xdotool({"key", "alt+d"});
    ASSERT_TRUE(serverReceivedPromptWith(QStringLiteral("take off")));
    const QJsonObject panel = loadedPanel();
    EXPECT_EQ(panel["selectedText"].toString(), QStringLiteral("take off"));
    EXPECT_EQ(panel["explanation"].toString(), explanation);
    EXPECT_TRUE(panel["active"].toBool());
    EXPECT_EQ(visibleWindows(), QStringList{panel["windowId"].toString()});

    ASSERT_EQ(waitForTask(target->request("select " + QByteArray("give up").toBase64())), "ok");
    xdotool({"windowactivate", "--sync", targetWindow});
    xdotool({"key", "End", "shift+Home"});
    xdotool({"keydown", "ctrl"}); // the desktop's shortcut, still held as the command arrives
    EXPECT_EQ(run({"trigger"}).exitCode, 0);
    waitForTask(QCoro::sleepFor(300ms));
    EXPECT_FALSE(panelStatus()["open"].toBool()) << "nothing is captured while a key is down";
    xdotool({"keyup", "ctrl"});
    ASSERT_TRUE(serverReceivedPromptWith(QStringLiteral("give up")));
    EXPECT_TRUE(waitUntil([] { return panelStatus()["selectedText"] == "give up" && panelStatus()["state"] == "loaded"; }));
}

// On sway the selection comes through data-control, for `trigger` and `lookup --selection`
// alike, with the windows on XWayland's X display or native on the compositor.
TEST_F(SelectionLookupEndToEndTest, OnAWlrootsCompositorTheTriggerExplainsThePrimarySelection)
{
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), qEnvironmentVariable("RAROZEZEV_TEST_WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    configureService();
    QProcess copy;
    copy.setProcessEnvironment(environment);
    copy.setStandardOutputFile(QProcess::nullDevice());
    copy.start(QStringLiteral("wl-copy"), {QStringLiteral("--primary"), QStringLiteral("take off")});
    ASSERT_TRUE(copy.waitForFinished(10000));
    ASSERT_TRUE(startApplication());

    EXPECT_EQ(run({"trigger"}).exitCode, 0);
    EXPECT_EQ(loadedPanel()["selectedText"].toString(), QStringLiteral("take off"));
    const Result looked = run({"lookup", "--selection"});
    EXPECT_EQ(looked.exitCode, 0) << looked.err.toStdString();
    EXPECT_TRUE(looked.out.contains(explanation)) << looked.out.toStdString();
    const Result doctor = run({"doctor", "--offline"});
    EXPECT_TRUE(doctor.out.contains("✓ 读取选中文本（data-control）")) << doctor.out.toStdString();

    stopApplication(); // natively on Wayland now, without any X display
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    ASSERT_TRUE(startApplication());
    EXPECT_EQ(run({"trigger"}).exitCode, 0);
    const QJsonObject panel = loadedPanel();
    EXPECT_TRUE(panel["visible"].toBool() && panel["selectedText"] == "take off") << logText().toStdString();
}

// With nothing in PRIMARY, `lookup --selection` copies the selection with Ctrl+C, puts the
// learner's clipboard back and, as it exits at once, leaves a server to keep that clipboard.
TEST_F(SelectionLookupEndToEndTest, TheCopiedSelectionIsExplainedAndTheClipboardOutlivesTheCommand)
{
    SelectionPasteboardItemSnapshot former;
    former.setData(QStringLiteral("text/plain"), QStringLiteral("the user's clipboard — 剪贴板").toUtf8());
    former.setData(QStringLiteral("application/x-rarozezev-test"), QByteArray("\0\1binary\xfe", 9));
    configureService();
    auto owner = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), QStringList{});
    ASSERT_TRUE(waitForTask(owner->start()));
    ASSERT_EQ(waitForTask(owner->request(clipboardSetCommand(former))), "ok");
    startTarget(QStringLiteral("  serendipity "));
    ASSERT_EQ(waitForTask(owner->request("primary " + QByteArray("  ").toBase64())), "ok");

    const Result looked = run({"lookup", "--selection"});
    ASSERT_EQ(looked.exitCode, 0) << looked.err.toStdString();
    EXPECT_TRUE(looked.out.contains(explanation));
    EXPECT_TRUE(serverReceivedPromptWith(QStringLiteral("serendipity")));

    // The command and the clipboard's former owner are gone; a newcomer still finds it.
    owner = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), QStringList{});
    target.reset();
    ASSERT_TRUE(waitForTask(owner->start()));
    const std::optional<QByteArray> seen = waitForTask(owner->request("dump"));
    EXPECT_EQ(seen ? parseClipboardDump(*seen) : std::nullopt, former);
    // Taking the clipboard ends the server left behind.
    waitForTask(owner->request(clipboardSetCommand(SelectionPasteboardItemSnapshot{})));
}

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

// With the badge switched on, the learner drags across text in another application and
// clicks the badge that appears.
TEST_F(SelectionLookupEndToEndTest, ADragShowsABadgeThatLeavesTheFocusAloneAndItsClickExplainsTheSelection)
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
