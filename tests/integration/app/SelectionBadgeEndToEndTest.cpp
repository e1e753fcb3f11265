#include "helpers/HelperProcess.h"
#include "integration/app/TrayApplicationHarness.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRect>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace std::chrono_literals;

namespace {

const QString kExplanation = QStringLiteral("打破僵局");
const QString kSelected = QStringLiteral("break the ice");

QByteArray chatCompletion(const QJsonObject &content)
{
    const QJsonObject message{{"role", "assistant"},
                              {"content", QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact))}};
    const QJsonObject choice{{"index", 0}, {"message", message}, {"finish_reason", "stop"}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

QString prompt(const LoopbackHTTPServer::Request &request)
{
    const QJsonArray messages = QJsonDocument::fromJson(request.body).object().value("messages").toArray();
    return messages.last().toObject().value("content").toString();
}

TrayApplicationHarness::Result xdotool(const QStringList &arguments)
{
    return TrayApplicationHarness::tool(QStringLiteral("xdotool"), arguments);
}

// A window's frame on the root window, from xdotool's shell-style answer.
QRect windowGeometry(const QString &window)
{
    const QString out = xdotool({"getwindowgeometry", "--shell", window}).out;
    QHash<QString, int> values;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1).toInt());
    }
    return QRect(values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT"));
}

// The badge shares its title with the lookup panel; it is the small square one.
QString visibleBadge()
{
    for (const QString &window : TrayApplicationHarness::visibleWindows(QStringLiteral("查词"))) {
        if (windowGeometry(window).size() == QSize(42, 42))
            return window;
    }
    return {};
}

// The tray application with its selection badge switched on; the learner selects text in
// another application by dragging across it, and clicks the badge that appears.
class SelectionBadgeEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(DBusSingleInstanceService::isInstanceRunning()) << "another instance runs in this session";
        server.setHandler([](const LoopbackHTTPServer::Request &request) {
            if (prompt(request).contains(QStringLiteral("primaryMeaning")))
                return LoopbackHTTPServer::Response::withBody(
                    200, chatCompletion({{"primaryMeaning", QStringLiteral("快速：破冰")}, {"translation", "破冰"}}));
            return LoopbackHTTPServer::Response::withBody(
                200, chatCompletion({{"contextualMeaning", kExplanation}, {"translation", "破冰"}}));
        });
        const QString url = server.url(QStringLiteral("/v1/chat/completions")).toString();
        ASSERT_EQ(harness.run({"config", "set", "aiBaseURL", url}).exitCode, 0);
        ASSERT_EQ(harness.run({"config", "set", "aiModel", "test-model"}).exitCode, 0);
        ASSERT_EQ(harness.run({"config", "set", "selectionBadgeEnabled", "true"}).exitCode, 0);
        const auto key = harness.run({"config", "set-key", "ai"}, 30s, "sk-badge-key");
        ASSERT_EQ(key.exitCode, 0) << key.err.toStdString();

        ASSERT_TRUE(harness.startApplication());
        target = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CAPTURE_TARGET), QStringList{});
        ASSERT_TRUE(waitForTask(target->start())) << "the target window never got the focus";
        ASSERT_EQ(waitForTask(target->request("select " + kSelected.toUtf8().toBase64())), "ok");
        targetWindow = TrayApplicationHarness::visibleWindows(QStringLiteral("capture target")).value(0);
        ASSERT_FALSE(targetWindow.isEmpty());
        // The mouse monitor is installed once the application runs; give it a moment to attach.
        waitForTask(QCoro::sleepFor(300ms));
    }

    // Presses inside the target left of its text and drags in small steps past its end.
    void dragAcrossTarget()
    {
        const QRect frame = windowGeometry(targetWindow);
        ASSERT_FALSE(frame.isEmpty());
        const int y = frame.y() + frame.height() / 2;
        QStringList steps{"mousemove", "--sync", QString::number(frame.x() + 3), QString::number(y), "mousedown", "1"};
        for (int step = 0; step < 6; ++step)
            steps << "mousemove_relative" << "--" << "50" << "0";
        steps << "mouseup" << "1";
        xdotool(steps);
    }

    static bool waitForBadge(bool shown)
    {
        return TrayApplicationHarness::waitUntil([&] { return visibleBadge().isEmpty() != shown; }, 10s);
    }

    static QJsonObject panelStatus()
    {
        try {
            const QString json = waitForTask(DBusSingleInstanceService::requestLookupPanelStatus(5s));
            return QJsonDocument::fromJson(json.toUtf8()).object();
        } catch (const DBusSingleInstanceService::RequestError &error) {
            ADD_FAILURE() << error.what();
            return {};
        }
    }

    bool serverReceivedPromptWith(const QString &text)
    {
        return TrayApplicationHarness::waitUntil(
            [&] {
                for (const LoopbackHTTPServer::Request &request : server.requests()) {
                    if (prompt(request).contains(text))
                        return true;
                }
                return false;
            },
            10s);
    }

    // Lets the next press start a new click series rather than count as a double click.
    static void pauseBetweenClicks() { waitForTask(QCoro::sleepFor(700ms)); }

    LoopbackHTTPServer server;
    TrayApplicationHarness harness;
    std::unique_ptr<HelperProcess> target;
    QString targetWindow;
};

} // namespace

TEST_F(SelectionBadgeEndToEndTest, ADragShowsABadgeWithoutTakingTheFocusAndAPlainClickElsewhereHidesIt)
{
    dragAcrossTarget();
    ASSERT_TRUE(waitForBadge(true)) << harness.logText().toStdString();
    const QRect badge = windowGeometry(visibleBadge());
    const QRect frame = windowGeometry(targetWindow);
    // Near the release point, at the target's right.
    EXPECT_LE(std::abs(badge.center().y() - (frame.y() + frame.height() / 2)), 60) << badge.y() << " " << frame.y();
    waitForTask(QCoro::sleepFor(200ms));
    EXPECT_EQ(xdotool({"getwindowfocus"}).out, targetWindow);
    EXPECT_TRUE(server.requests().isEmpty()) << "nothing is looked up until the badge is clicked";

    pauseBetweenClicks();
    xdotool({"mousemove", "--sync", QString::number(badge.x() + 300), QString::number(badge.y() + 300), "click", "1"});
    ASSERT_TRUE(waitForBadge(false));
    // A click is no selection: no badge comes back for it.
    waitForTask(QCoro::sleepFor(500ms));
    EXPECT_TRUE(visibleBadge().isEmpty());
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(SelectionBadgeEndToEndTest, ClickingTheBadgeExplainsTheSelectionInTheLookupPanel)
{
    dragAcrossTarget();
    ASSERT_TRUE(waitForBadge(true)) << harness.logText().toStdString();
    const QRect badge = windowGeometry(visibleBadge());

    pauseBetweenClicks();
    xdotool({"mousemove", "--sync", QString::number(badge.center().x()), QString::number(badge.center().y()), "click",
             "1"});
    ASSERT_TRUE(serverReceivedPromptWith(kSelected)) << harness.logText().toStdString();
    EXPECT_EQ(server.requests().first().header("Authorization"), QByteArray("Bearer sk-badge-key"));
    ASSERT_TRUE(TrayApplicationHarness::waitUntil([] { return panelStatus()["state"] == "loaded"; }, 10s))
        << QJsonDocument(panelStatus()).toJson().toStdString();
    const QJsonObject panel = panelStatus();
    EXPECT_EQ(panel["selectedText"].toString(), kSelected);
    EXPECT_EQ(panel["explanation"].toString(), kExplanation);
    EXPECT_TRUE(waitForBadge(false));
    // The panel is the only window with the title left.
    EXPECT_EQ(TrayApplicationHarness::visibleWindows(QStringLiteral("查词")), QStringList{panel["windowId"].toString()});
}
