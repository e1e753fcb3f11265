#include "helpers/HelperProcess.h"
#include "capture/QTimerSelectionCaptureClock.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCoroProcess>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QByteArray chatCompletion(const QString &content)
{
    const QJsonObject message{{"role", "assistant"}, {"content", content}};
    const QJsonObject choice{{"index", 0}, {"message", message}, {"finish_reason", "stop"}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

QByteArray pngBytes()
{
    QImage image(5, 4, QImage::Format_RGB32);
    image.fill(Qt::darkMagenta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// What the user had copied before looking anything up, in several formats.
SelectionPasteboardItemSnapshot formerClipboard()
{
    SelectionPasteboardItemSnapshot contents;
    contents.setData(QStringLiteral("text/plain"), QStringLiteral("the user's clipboard — 剪贴板").toUtf8());
    contents.setData(QStringLiteral("text/html"), "<p>the user's <i>clipboard</i></p>");
    contents.setData(QStringLiteral("image/png"), pngBytes());
    contents.setData(QStringLiteral("application/x-rarozezev-test"), QByteArray("\0\1binary\xfe", 9));
    return contents;
}

void sleepOnEventLoop(std::chrono::milliseconds duration)
{
    waitForTask(QTimerSelectionCaptureClock().sleep(std::chrono::nanoseconds(duration).count(), {}));
}

// Our clipboard servers on this display, found by their command line and environment.
int clipboardServerCount()
{
    const QByteArray display = "DISPLAY=" + qgetenv("DISPLAY");
    int count = 0;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly) || !cmdline.readAll().split('\0').contains("__serve-clipboard"))
            continue;
        QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
        if (environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(display))
            ++count;
    }
    return count;
}

// Runs the built program as a user would, inside the desktop session, with a home of its
// own, while this process's event loop answers the AI requests.
class LookupSelectionTest : public ::testing::Test {
protected:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside the desktop session";
        ASSERT_TRUE(home.isValid());
        server.setHandler([](const LoopbackHTTPServer::Request &) {
            return LoopbackHTTPServer::Response::withBody(
                200, chatCompletion(QStringLiteral(R"({"contextualMeaning":"意外发现珍宝的运气","primaryMeaning":"机缘凑巧"})")));
        });
        const QString url = server.url(QStringLiteral("/v1/chat/completions")).toString();
        ASSERT_EQ(rarozezev({"config", "set", "aiBaseURL", url}).exitCode, 0);
        ASSERT_EQ(rarozezev({"config", "set", "aiModel", "test-model"}).exitCode, 0);
        owner = startHelper(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER));
        ASSERT_TRUE(owner);
    }

    void TearDown() override
    {
        // Taking the clipboard from a server left behind ends it.
        if (owner)
            waitForTask(owner->request(clipboardSetCommand(SelectionPasteboardItemSnapshot{})));
        target.reset();
        sleepOnEventLoop(100ms);
    }

    static std::unique_ptr<HelperProcess> startHelper(const QString &program, QStringList arguments = {})
    {
        auto helper = std::make_unique<HelperProcess>(program, std::move(arguments));
        if (!waitForTask(helper->start()))
            return nullptr;
        return helper;
    }

    Run rarozezev(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.filePath(QStringLiteral("home")));
        for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            environment.insert(QString::fromLatin1(variable), home.filePath(QString::fromLatin1(variable)));
        environment.insert(QStringLiteral("RAROZEZEV_AI_API_KEY"), QStringLiteral("sk-env-key"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(RAROZEZEV_EXECUTABLE), arguments);
        if (!process.waitForStarted(10000)) {
            ADD_FAILURE() << "rarozezev did not start";
            return {};
        }
        process.closeWriteChannel();
        waitForTask(qCoro(process).waitForFinished(60s));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "rarozezev crashed";
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    void selectInTarget(const QString &text)
    {
        target = startHelper(QStringLiteral(RAROZEZEV_CAPTURE_TARGET));
        ASSERT_TRUE(target) << "the target window never got the focus";
        ASSERT_EQ(waitForTask(target->request("select " + text.toUtf8().toBase64())), QByteArray("ok"));
    }

    // The clipboard as a client sees it; empty when the helper does not answer.
    static SelectionPasteboardItemSnapshot clipboardSeenBy(HelperProcess &helper)
    {
        const auto line = waitForTask(helper.request("dump"));
        return (line ? parseClipboardDump(*line) : std::nullopt).value_or(SelectionPasteboardItemSnapshot{});
    }

    bool sentPromptContains(const QString &text) const
    {
        for (const auto &request : server.requests()) {
            const QJsonArray messages = QJsonDocument::fromJson(request.body).object().value("messages").toArray();
            if (messages.last().toObject().value("content").toString().contains(text))
                return true;
        }
        return false;
    }

    QTemporaryDir home;
    LoopbackHTTPServer server;
    std::unique_ptr<HelperProcess> owner;
    std::unique_ptr<HelperProcess> target;
};

TEST_F(LookupSelectionTest, CopiedSelectionIsExplainedAndTheClipboardOutlivesTheCommand)
{
    ASSERT_EQ(waitForTask(owner->request(clipboardSetCommand(formerClipboard()))), QByteArray("ok"));
    selectInTarget(QStringLiteral("  serendipity "));
    // A PRIMARY selection of blanks only: the command has to copy with Ctrl+C.
    ASSERT_EQ(waitForTask(owner->request("primary " + QByteArray("  ").toBase64())), QByteArray("ok"));

    const Run run = rarozezev({"lookup", "--selection"});

    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("意外发现珍宝的运气"))) << run.out.toStdString();
    EXPECT_TRUE(sentPromptContains(QStringLiteral("serendipity")));
    // The command has exited; its clipboard lives on in the server it left behind.
    EXPECT_EQ(clipboardSeenBy(*owner), formerClipboard());
    EXPECT_EQ(clipboardServerCount(), 1);

    // The process that owned the clipboard before is gone too; a newcomer still finds it.
    owner.reset();
    target.reset();
    owner = startHelper(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER));
    ASSERT_TRUE(owner);
    EXPECT_EQ(clipboardSeenBy(*owner), formerClipboard());

    // Once somebody else copies, the server has nothing left to keep and ends.
    SelectionPasteboardItemSnapshot newer;
    newer.setData(QStringLiteral("text/plain"), "copied later");
    ASSERT_EQ(waitForTask(owner->request(clipboardSetCommand(newer))), QByteArray("ok"));
    for (int i = 0; i < 100 && clipboardServerCount() > 0; ++i)
        sleepOnEventLoop(50ms);
    EXPECT_EQ(clipboardServerCount(), 0);
    EXPECT_EQ(clipboardSeenBy(*owner), newer);
}

TEST_F(LookupSelectionTest, PrimarySelectionNeedsNoClipboardAndNoServer)
{
    ASSERT_EQ(waitForTask(owner->request(clipboardSetCommand(formerClipboard()))), QByteArray("ok"));
    ASSERT_EQ(waitForTask(owner->request("primary " + QByteArray(" look up\n").toBase64())), QByteArray("ok"));

    const Run run = rarozezev({"lookup", "--selection", "--format", "json"});

    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject record = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(record.value("selectedText").toString(), QStringLiteral("look up"));
    EXPECT_EQ(record.value("itemType").toString(), QStringLiteral("phrase"));
    EXPECT_EQ(clipboardServerCount(), 0);
    EXPECT_EQ(clipboardSeenBy(*owner), formerClipboard());
}

TEST_F(LookupSelectionTest, NothingSelectedFailsWithTheClipboardIntact)
{
    ASSERT_EQ(waitForTask(owner->request(clipboardSetCommand(formerClipboard()))), QByteArray("ok"));
    // The target ignores the copy keystroke, as an application with nothing selected does.
    target = startHelper(QStringLiteral(RAROZEZEV_CAPTURE_TARGET), {QStringLiteral("--no-copy")});
    ASSERT_TRUE(target);
    ASSERT_EQ(waitForTask(owner->request("primary " + QByteArray(" ").toBase64())), QByteArray("ok"));

    const Run run = rarozezev({"lookup", "--selection"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("无法读取选中文本"))) << run.err.toStdString();
    EXPECT_TRUE(server.requests().isEmpty());
    target.reset();
    owner.reset();
    owner = startHelper(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER));
    ASSERT_TRUE(owner);
    EXPECT_EQ(clipboardSeenBy(*owner), formerClipboard());
}

} // namespace
