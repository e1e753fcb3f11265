#include "services/OpenAICompatibleAIClient.h"

#include "AIClientTestSupport.h"
#include "services/QNetworkAccessManagerHTTPTransport.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"
#include "utilities/AppError.h"
#include "utilities/CancellationError.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Response = LoopbackHTTPServer::Response;

namespace {

// The client over the application's real transport, talking to a server on 127.0.0.1.
class AIClientOverHTTPTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isListening());
        settings.baseURL = server.url(QStringLiteral("/v1/chat/completions")).toString();
    }

    std::unique_ptr<OpenAICompatibleAIClient> makeClient(std::chrono::milliseconds timeout = 10s,
                                                         qint64 maximumBodySize =
                                                             QNetworkAccessManagerHTTPTransport::defaultMaximumBodySize)
    {
        auto transport = std::make_shared<QNetworkAccessManagerHTTPTransport>(&manager, maximumBodySize);
        return std::make_unique<OpenAICompatibleAIClient>(transport, log.logger(), timeout);
    }

    QCoro::Task<LookupResult> startLookup(OpenAICompatibleAIClient &client, CancellationToken cancellation = {})
    {
        return client.lookup(QStringLiteral("apple"), std::nullopt, std::nullopt, LearningItemType::word, settings,
                             cancellation);
    }

    AppError failure(OpenAICompatibleAIClient &client)
    {
        try {
            waitForTask(startLookup(client));
        } catch (const AppError &error) {
            return error;
        }
        ADD_FAILURE() << "the lookup did not fail with an AppError";
        return AppError::selectedTextUnavailable();
    }

    void routeToEndpoint(Response response)
    {
        settings.baseURL = server.url(QStringLiteral("/slow")).toString();
        server.route("/slow", std::move(response));
    }

    LoopbackHTTPServer server;
    QNetworkAccessManager manager;
    FailureLog log;
    UserSettings settings = validSettings();
};

TEST_F(AIClientOverHTTPTest, AnswersStatusesAndRetriesCrossTheWire)
{
    auto client = makeClient();
    server.enqueue(Response::withBody(200, chatAnswer(goodLookupContent)));
    EXPECT_EQ(waitForTask(startLookup(*client)).phonetic, QStringLiteral("/ˈæp.əl/"));
    ASSERT_EQ(server.requests().size(), 1);
    const LoopbackHTTPServer::Request &sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.target, "/v1/chat/completions");
    EXPECT_EQ(sent.header("Authorization"), "Bearer sk-test-0123456789");
    EXPECT_EQ(sent.header("Content-Type"), "application/json");
    EXPECT_EQ(QJsonDocument::fromJson(sent.body).object().value("model").toString(), QStringLiteral("gpt-4o-mini"));

    server.enqueue(Response::withBody(429, R"({"error": {"message": "Rate limit"}})"));
    EXPECT_EQ(failure(*client), AppError::aiRequestFailedDetail(QStringLiteral("HTTP 429：Rate limit")));
    server.enqueue(Response::withBody(500, ""));
    EXPECT_EQ(failure(*client), AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")));
    EXPECT_EQ(server.requests().size(), 3);

    server.enqueue(Response::withBody(200, chatAnswer("I think it means a fruit.")));
    server.enqueue(Response::withBody(200, chatAnswer("A fruit, really.")));
    EXPECT_EQ(failure(*client), AppError::invalidAIResponse());
    EXPECT_EQ(server.requests().size(), 5);

    server.enqueue(Response::withBody(200, chatAnswer("Here you go:")));
    server.enqueue(Response::withBody(200, chatAnswer("```json\n" + goodLookupContent + "\n```")));
    EXPECT_EQ(waitForTask(startLookup(*client)).contextualMeaning, QStringLiteral("苹果"));
    EXPECT_EQ(server.requests().size(), 7);
    EXPECT_EQ(log.lines.size(), 3);
}

TEST_F(AIClientOverHTTPTest, ASilentServerTimesOutAndAnAbsentOneRefuses)
{
    auto client = makeClient(300ms);
    Response late = Response::withBody(200, chatAnswer(goodLookupContent));
    late.delay = 5s;
    routeToEndpoint(late);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(failure(*client).errorDescription(), QStringLiteral("AI 查询失败：网络请求失败：请求超时（timedOut）"));
    EXPECT_LT(clock.elapsed(), 3000);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].contains(QStringLiteral(" stage=network "))) << log.lines[0].toStdString();

    // A port that was just free: nothing listens there.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    settings.baseURL = QStringLiteral("http://127.0.0.1:%1/v1/chat/completions").arg(probe.serverPort());
    probe.close();
    EXPECT_EQ(failure(*client),
              AppError::aiRequestFailedDetail(QStringLiteral("网络请求失败：无法连接服务器（cannotConnectToHost）")));
}

TEST_F(AIClientOverHTTPTest, CancellingMidRequestEndsQuietly)
{
    auto client = makeClient();
    Response late = Response::withBody(200, chatAnswer(goodLookupContent));
    late.delay = 5s;
    routeToEndpoint(late);

    CancellationToken token;
    QTimer::singleShot(100ms, [token] { token.cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(waitForTask(startLookup(*client, token)), CancellationError);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST_F(AIClientOverHTTPTest, AnOversizedAnswerIsANetworkFailure)
{
    auto client = makeClient(10s, 64 * 1024);
    Response huge;
    huge.fillerBytes = 1024 * 1024;
    routeToEndpoint(huge);
    const AppError error = failure(*client);
    EXPECT_EQ(error.kind(), AppError::Kind::aiRequestFailedDetail);
    EXPECT_TRUE(error.payload().startsWith(QStringLiteral("网络请求失败：响应体超过 64 KiB 上限（")))
        << error.payload().toStdString();
}

TEST_F(AIClientOverHTTPTest, ALookupOutlivesTheClientThatStartedIt)
{
    auto client = makeClient();
    Response late = Response::withBody(200, chatAnswer(goodLookupContent));
    late.delay = 200ms;
    routeToEndpoint(late);

    QCoro::Task<LookupResult> pending = startLookup(*client);
    client.reset();
    EXPECT_EQ(waitForTask(std::move(pending)).contextualMeaning, QStringLiteral("苹果"));
}

} // namespace
