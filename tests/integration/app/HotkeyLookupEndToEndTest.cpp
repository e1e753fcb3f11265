#include "helpers/HelperProcess.h"
#include "integration/app/TrayApplicationHarness.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QString kExplanation = QStringLiteral("起飞；迅速成功");

QByteArray chatCompletion(const QJsonObject &content)
{
    const QJsonObject message{{"role", "assistant"},
                              {"content", QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact))}};
    const QJsonObject choice{{"index", 0}, {"message", message}, {"finish_reason", "stop"}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

// The user message of a chat-completions request.
QString prompt(const LoopbackHTTPServer::Request &request)
{
    const QJsonArray messages = QJsonDocument::fromJson(request.body).object().value("messages").toArray();
    return messages.last().toObject().value("content").toString();
}

// The tray application on the session's X server, configured for a chat-completions service
// on this process's loopback server, its key in the session's keyring; the learner selects
// text in another application and presses Alt+D, as xdotool does here.
class HotkeyLookupEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(DBusSingleInstanceService::isInstanceRunning()) << "another instance runs in this session";
        server.setHandler([](const LoopbackHTTPServer::Request &request) {
            // The quick pass asks for a primary meaning; the full one does not.
            if (prompt(request).contains(QStringLiteral("primaryMeaning")))
                return LoopbackHTTPServer::Response::withBody(
                    200, chatCompletion({{"primaryMeaning", QStringLiteral("快速：起飞")}, {"translation", "起飞"}}));
            return LoopbackHTTPServer::Response::withBody(
                200, chatCompletion({{"contextualMeaning", kExplanation}, {"translation", "起飞"}}));
        });
        const QString url = server.url(QStringLiteral("/v1/chat/completions")).toString();
        ASSERT_EQ(harness.run({"config", "set", "aiBaseURL", url}).exitCode, 0);
        ASSERT_EQ(harness.run({"config", "set", "aiModel", "test-model"}).exitCode, 0);
        const auto key = harness.run({"config", "set-key", "ai"}, 30s, "sk-end-to-end-key");
        ASSERT_EQ(key.exitCode, 0) << key.err.toStdString();
    }

    void startTarget(const QString &selected)
    {
        target = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CAPTURE_TARGET), QStringList{});
        ASSERT_TRUE(waitForTask(target->start())) << "the target window never got the focus";
        select(selected);
    }

    // Puts `text` in the target, gives it the focus and selects the text from the keyboard, as
    // the learner would, so that it becomes the PRIMARY selection.
    void select(const QString &text)
    {
        ASSERT_EQ(waitForTask(target->request("select " + text.toUtf8().toBase64())), "ok");
        const QString window = TrayApplicationHarness::visibleWindows(QStringLiteral("capture target")).value(0);
        ASSERT_FALSE(window.isEmpty());
        TrayApplicationHarness::tool(QStringLiteral("xdotool"), {"windowactivate", "--sync", window});
        TrayApplicationHarness::tool(QStringLiteral("xdotool"), {"key", "End", "shift+Home"});
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

    static bool panelSatisfies(const std::function<bool(const QJsonObject &)> &condition,
                               std::chrono::milliseconds timeout = 10s)
    {
        return TrayApplicationHarness::waitUntil([&] { return condition(panelStatus()); }, timeout);
    }

    static void pressAltD() { TrayApplicationHarness::tool(QStringLiteral("xdotool"), {"key", "alt+d"}); }

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

    LoopbackHTTPServer server;
    TrayApplicationHarness harness;
    std::unique_ptr<HelperProcess> target;
};

} // namespace

TEST_F(HotkeyLookupEndToEndTest, AltDExplainsTheSelectionInAPanelThatGoesWhenFocusMovesAwayUnlessPinned)
{
    ASSERT_TRUE(harness.startApplication());
    startTarget(QStringLiteral("take off"));

    pressAltD();
    ASSERT_TRUE(serverReceivedPromptWith(QStringLiteral("take off")));
    EXPECT_EQ(server.requests().first().header("Authorization"), QByteArray("Bearer sk-end-to-end-key"));
    ASSERT_TRUE(panelSatisfies([](const QJsonObject &panel) { return panel["state"] == "loaded"; }))
        << QJsonDocument(panelStatus()).toJson().toStdString();
    QJsonObject panel = panelStatus();
    EXPECT_EQ(panel["explanation"].toString(), kExplanation);
    EXPECT_EQ(panel["selectedText"].toString(), QStringLiteral("take off"));
    EXPECT_EQ(TrayApplicationHarness::visibleWindows(QStringLiteral("查词")), QStringList{panel["windowId"].toString()});

    // Unpinned, the panel goes shortly after another window takes the focus.
    select(QStringLiteral("take off"));
    EXPECT_TRUE(panelSatisfies([](const QJsonObject &status) { return !status["open"].toBool(); }, 1s));
    EXPECT_TRUE(TrayApplicationHarness::visibleWindows(QStringLiteral("查词")).isEmpty());

    // Pinned with its own button, it stays.
    pressAltD();
    ASSERT_TRUE(panelSatisfies([](const QJsonObject &status) { return status["active"].toBool(); }));
    panel = panelStatus();
    const QJsonObject pin = panel["pinButton"].toObject();
    TrayApplicationHarness::tool(QStringLiteral("xdotool"), {"mousemove", "--sync", QString::number(pin["x"].toInt()),
                                                             QString::number(pin["y"].toInt()), "click", "1"});
    ASSERT_TRUE(panelSatisfies([](const QJsonObject &status) { return status["pinned"].toBool(); }, 2s));
    select(QStringLiteral("break the ice"));
    waitForTask(QCoro::sleepFor(500ms));
    EXPECT_EQ(panelStatus()["windowId"], panel["windowId"]);

    // A second Alt+D replaces the panel, pinned or not, with an unpinned one for the new text.
    pressAltD();
    ASSERT_TRUE(serverReceivedPromptWith(QStringLiteral("break the ice")))
        << QJsonDocument(panelStatus()).toJson().toStdString();
    ASSERT_TRUE(panelSatisfies([&](const QJsonObject &status) {
        return status["selectedText"] == "break the ice" && status["state"] == "loaded";
    }));
    const QJsonObject replaced = panelStatus();
    EXPECT_NE(replaced["windowId"], panel["windowId"]);
    EXPECT_FALSE(replaced["pinned"].toBool());
    EXPECT_EQ(TrayApplicationHarness::visibleWindows(QStringLiteral("查词")), QStringList{replaced["windowId"].toString()});
}

TEST_F(HotkeyLookupEndToEndTest, AltDHeldByAnotherClientLeavesTheProgramRunningAndReachableThroughOpen)
{
    QProcess holder;
    holder.start(QStringLiteral(RAROZEZEV_HOTKEY_GRAB_HOLDER), {"plain", "caps", "num", "capsnum"});
    ASSERT_TRUE(holder.waitForStarted(5000));
    ASSERT_TRUE(TrayApplicationHarness::waitUntil([&] { return holder.canReadLine(); }, 5s));
    ASSERT_EQ(holder.readLine().trimmed(), QByteArray("grabbed"));

    ASSERT_TRUE(harness.startApplication());
    EXPECT_TRUE(TrayApplicationHarness::waitUntil(
        [&] { return harness.logText().contains(QStringLiteral("Failed to register global hotkey Option+D")); }, 5s))
        << harness.logText().toStdString();
    waitForTask(QCoro::sleepFor(300ms));
    EXPECT_EQ(harness.application()->state(), QProcess::Running);

    // A shortcut of the desktop's own still opens the panel.
    const auto opened = harness.run({"open", "lookup"});
    EXPECT_EQ(opened.exitCode, 0) << opened.err.toStdString();
    EXPECT_TRUE(panelSatisfies([](const QJsonObject &status) { return status["open"].toBool(); }));

    holder.closeWriteChannel();
    holder.waitForFinished(5000);
}
