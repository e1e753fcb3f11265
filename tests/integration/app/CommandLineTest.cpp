#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QCoroProcess>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;

namespace {

const QByteArray fullAnswer = R"({
  "phonetic": "/teɪk ɒf/",
  "contextualMeaning": "起飞；迅速成功",
  "commonMeanings": ["起飞", "脱下"],
  "partOfSpeech": "phrasal verb",
  "collocations": ["take off quickly"],
  "examples": ["The plane took off. 飞机起飞了。"],
  "translation": "起飞",
  "usageNotes": ["多用于飞机"],
  "suggestedExpressions": ["lift off"]
})";

const QByteArray fastAnswer = R"({
  "primaryMeaning": "快速释义：起飞",
  "translation": "起飞"
})";

QByteArray chatCompletion(const QByteArray &content)
{
    const QJsonObject message{{"role", "assistant"}, {"content", QString::fromUtf8(content)}};
    const QJsonObject choice{{"index", 0}, {"message", message}, {"finish_reason", "stop"}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

// The fast prompt asks for a primary meaning; the full one does not.
bool isFastRequest(const LoopbackHTTPServer::Request &request)
{
    const QJsonArray messages = QJsonDocument::fromJson(request.body).object().value("messages").toArray();
    return messages.last().toObject().value("content").toString().contains(QStringLiteral("primaryMeaning"));
}

// Runs the built program as a user would, with a home and XDG directories of its own and
// the session's keyring, while this process's event loop serves the AI requests.
class CommandLineTest : public ::testing::Test {
protected:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(server.isListening());
        server.setHandler([](const LoopbackHTTPServer::Request &request) {
            return LoopbackHTTPServer::Response::withBody(200, chatCompletion(isFastRequest(request) ? fastAnswer : fullAnswer));
        });
    }

    Run rarozezev(const QStringList &arguments, const QByteArray &input = {},
                  const std::optional<QString> &apiKey = QStringLiteral("sk-env-key-123"))
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.filePath(QStringLiteral("home")));
        for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            environment.insert(QString::fromLatin1(variable), home.filePath(QString::fromLatin1(variable)));
        if (apiKey)
            environment.insert(QStringLiteral("RAROZEZEV_AI_API_KEY"), *apiKey);
        else
            environment.remove(QStringLiteral("RAROZEZEV_AI_API_KEY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(RAROZEZEV_EXECUTABLE), arguments);
        if (!process.waitForStarted(10000)) {
            ADD_FAILURE() << "rarozezev did not start";
            return {};
        }
        process.write(input);
        process.closeWriteChannel();
        // The server answers on this event loop, so the wait must not block it.
        waitForTask(qCoro(process).waitForFinished(60s));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "rarozezev crashed";
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    void configureService()
    {
        const QString url = server.url(QStringLiteral("/v1/chat/completions")).toString();
        ASSERT_EQ(rarozezev({"config", "set", "aiBaseURL", url}).exitCode, 0);
        ASSERT_EQ(rarozezev({"config", "set", "aiModel", "test-model"}).exitCode, 0);
    }

    QTemporaryDir home;
    LoopbackHTTPServer server;
};

TEST_F(CommandLineTest, FullLookupIsCachedUnlessAskedNotTo)
{
    configureService();
    const Run first = rarozezev({"lookup", "take", "off"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("起飞；迅速成功")));
    EXPECT_TRUE(first.out.contains(QStringLiteral("### ")));
    ASSERT_EQ(server.requests().size(), 1);
    const LoopbackHTTPServer::Request &request = server.requests().first();
    EXPECT_EQ(request.header("Authorization"), QByteArray("Bearer sk-env-key-123"));
    EXPECT_EQ(QJsonDocument::fromJson(request.body).object().value("model").toString(), QStringLiteral("test-model"));

    // The same text, spelled differently and given on standard input, is answered from the cache.
    const Run again = rarozezev({"lookup"}, "  TAKE OFF \n");
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, first.out);
    EXPECT_EQ(server.requests().size(), 1);

    const Run uncached = rarozezev({"lookup", "--no-cache", "take off"});
    EXPECT_EQ(uncached.exitCode, 0);
    EXPECT_EQ(server.requests().size(), 2);

    const Run json = rarozezev({"lookup", "--format", "json", "take", "off"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject record = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(record.value("selectedText").toString(), QStringLiteral("take off"));
    EXPECT_EQ(record.value("itemType").toString(), QStringLiteral("phrase"));
    EXPECT_EQ(record.value("source").toString(), QStringLiteral("ai"));
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(CommandLineTest, FastPassAsksTheServiceAndLeavesTheCacheAlone)
{
    configureService();
    const Run fast = rarozezev({"lookup", "--pass", "fast", "take off"});
    ASSERT_EQ(fast.exitCode, 0) << fast.err.toStdString();
    EXPECT_TRUE(fast.out.contains(QStringLiteral("快速释义：起飞")));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(isFastRequest(server.requests().first()));

    const Run full = rarozezev({"lookup", "take off"});
    EXPECT_EQ(full.exitCode, 0);
    EXPECT_EQ(server.requests().size(), 2) << "the fast answer was not cached";
}

TEST_F(CommandLineTest, FailuresPrintTheMessageAndExitWithOne)
{
    configureService();
    server.setHandler([](const LoopbackHTTPServer::Request &) {
        return LoopbackHTTPServer::Response::withBody(500, R"({"error":{"message":"model overloaded"}})");
    });
    const Run failed = rarozezev({"lookup", "take off"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_EQ(failed.err, QStringLiteral("AI 查询失败：HTTP 500：model overloaded\n"));

    const Run unconfigured = rarozezev({"lookup", "take off"}, {}, QString());
    EXPECT_EQ(unconfigured.exitCode, 1);
    EXPECT_EQ(unconfigured.err, QStringLiteral("AI 设置不完整，请检查 API Key、Base URL 和模型名称。\n"));
}

TEST_F(CommandLineTest, DictionaryLookupWorksOffline)
{
    const Run found = rarozezev({"lookup", "--source", "dictionary", "serendipity"}, {}, std::nullopt);
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    EXPECT_TRUE(found.out.contains(QStringLiteral("fortunate discoveries"))) << found.out.toStdString();

    const Run json = rarozezev({"lookup", "--source=dictionary", "--format=json", "serendipity"}, {}, std::nullopt);
    const QJsonObject record = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(record.value("source").toString(), QStringLiteral("systemDictionary"));
    EXPECT_EQ(record.value("itemType").toString(), QStringLiteral("word"));

    const Run missing = rarozezev({"lookup", "--source", "dictionary", "qzxwvutsrq"}, {}, std::nullopt);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, QStringLiteral("系统词典没有找到释义。\n"));
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(CommandLineTest, ConfigRoundTripAndKeyInTheKeyring)
{
    EXPECT_EQ(rarozezev({"config", "set", "dailyRecommendationHour.v1", "0"}).exitCode, 0);
    const Run hour = rarozezev({"config", "get", "dailyRecommendationHour.v1"});
    EXPECT_EQ(hour.exitCode, 0);
    EXPECT_EQ(hour.out, QStringLiteral("0\n"));
    EXPECT_EQ(rarozezev({"config", "set", "dailyRecommendationHour.v1", "noon"}).exitCode, 2);

    configureService();
    const Run saved = rarozezev({"config", "set-key", "ai"}, "sk-keyring-key-456\n", std::nullopt);
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(rarozezev({"config", "get", "hasSavedAPIKey.v2"}).out, QStringLiteral("true\n"));

    // Without the environment variable the lookup takes the key from the keyring.
    const Run lookup = rarozezev({"lookup", "--no-cache", "take off"}, {}, std::nullopt);
    ASSERT_EQ(lookup.exitCode, 0) << lookup.err.toStdString();
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().header("Authorization"), QByteArray("Bearer sk-keyring-key-456"));

    EXPECT_EQ(rarozezev({"config", "delete-key", "ai"}).exitCode, 0);
    EXPECT_EQ(rarozezev({"config", "get", "hasSavedAPIKey.v2"}).out, QStringLiteral("false\n"));
}

} // namespace
