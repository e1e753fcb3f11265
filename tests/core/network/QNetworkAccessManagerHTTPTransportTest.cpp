#include "network/QNetworkAccessManagerHTTPTransport.h"

#include "network/TransportError.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"
#include "foundation/CancellationError.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Response = LoopbackHTTPServer::Response;

namespace {

class HTTPTransportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.isListening()); }

    HTTPResponse send(HTTPRequest request, CancellationToken cancellation = {})
    {
        return waitForTask(transport.data(std::move(request), std::move(cancellation)));
    }

    TransportError sendExpectingTransportError(HTTPRequest request)
    {
        try {
            send(std::move(request));
        } catch (const TransportError &error) {
            return error;
        }
        ADD_FAILURE() << "the request did not fail";
        return {QNetworkReply::NoError, {}};
    }

    HTTPRequest get(const QString &path, std::chrono::milliseconds timeout = 10s) const
    {
        HTTPRequest request;
        request.url = server.url(path);
        request.timeout = timeout;
        return request;
    }

    LoopbackHTTPServer server;
    QNetworkAccessManager manager;
    QNetworkAccessManagerHTTPTransport transport{&manager};
};

TEST_F(HTTPTransportTest, ErrorStatusesComeBackAsResponsesWithTheirBodies)
{
    const struct {
        int status;
        QByteArray body;
    } cases[] = {
        {200, R"({"choices":[]})"},
        {204, ""},
        {401, R"({"error":{"message":"Incorrect API key"}})"},
        {500, ""},
        {599, "odd status"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        server.enqueue(Response::withBody(c.status, c.body));
        const HTTPResponse response = send(get(QStringLiteral("/v1/chat/completions")));
        EXPECT_EQ(response.statusCode, c.status);
        EXPECT_EQ(response.body, c.body);
    }
}

TEST_F(HTTPTransportTest, SendsMethodHeadersAndBodyOverOneReusedConnection)
{
    server.enqueue(Response::withBody(200, "first"));
    server.enqueue(Response::withBody(200, "second"));

    HTTPRequest post = get(QStringLiteral("/v1/chat/completions?x=1"));
    post.method = "POST";
    post.headers = {{"Authorization", "Bearer sk-test"}, {"Content-Type", "application/json"}};
    post.body = R"({"model":"m","messages":[{"role":"user","content":"你好"}]})";
    EXPECT_EQ(send(post).body, "first");
    EXPECT_EQ(send(get(QStringLiteral("/audio.mp3"))).body, "second");

    ASSERT_EQ(server.requests().size(), 2);
    const auto &sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.target, "/v1/chat/completions?x=1");
    EXPECT_EQ(sent.header("Authorization"), "Bearer sk-test");
    EXPECT_EQ(sent.header("Content-Type"), "application/json");
    EXPECT_EQ(sent.body, post.body);
    EXPECT_EQ(server.requests()[1].method, "GET");
    EXPECT_TRUE(server.requests()[1].body.isEmpty());
    EXPECT_EQ(server.connectionCount(), 1);
}

Response redirectTo(int status, const QByteArray &location)
{
    Response response;
    response.status = status;
    response.headers = {{"Location", location}};
    return response;
}

TEST_F(HTTPTransportTest, FollowsRedirectsOnceEachWithoutCarryingCredentialsAway)
{
    // An empty redirect body once made Qt send the first request twice and mix the bodies.
    server.enqueue(redirectTo(302, "/v1/audio/final.wav"));
    server.enqueue(Response::withBody(200, "RIFF", "audio/wav"));
    const HTTPResponse followed = send(get(QStringLiteral("/v1/audio/task")));
    EXPECT_EQ(followed.statusCode, 200);
    EXPECT_EQ(followed.body, "RIFF");
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[1].target, "/v1/audio/final.wav");

    // A POST answered with 303 goes on as a GET; the key goes along only to the same origin.
    LoopbackHTTPServer elsewhere;
    server.enqueue(redirectTo(307, "/v2/chat"));
    server.enqueue(redirectTo(303, elsewhere.url(QStringLiteral("/result")).toEncoded()));
    elsewhere.enqueue(Response::withBody(200, "done"));
    HTTPRequest post = get(QStringLiteral("/v1/chat"));
    post.method = "POST";
    post.headers = {{"Authorization", "Bearer sk-secret"}, {"Content-Type", "application/json"}};
    post.body = "{}";
    EXPECT_EQ(send(post).body, "done");
    ASSERT_EQ(server.requests().size(), 4);
    EXPECT_EQ(server.requests()[3].method, "POST") << "307 keeps the method";
    EXPECT_EQ(server.requests()[3].body, "{}");
    EXPECT_EQ(server.requests()[3].header("Authorization"), "Bearer sk-secret");
    ASSERT_EQ(elsewhere.requests().size(), 1);
    EXPECT_EQ(elsewhere.requests()[0].method, "GET");
    EXPECT_TRUE(elsewhere.requests()[0].header("Authorization").isEmpty());

    server.enqueue(redirectTo(302, "file:///etc/passwd"));
    EXPECT_EQ(sendExpectingTransportError(get(QStringLiteral("/"))).code(), QNetworkReply::InsecureRedirectError);

    server.setHandler([](const LoopbackHTTPServer::Request &) { return redirectTo(302, "/again"); });
    EXPECT_EQ(sendExpectingTransportError(get(QStringLiteral("/again"))).code(), QNetworkReply::TooManyRedirectsError);
}

TEST_F(HTTPTransportTest, SilenceLongerThanTheTimeoutIsATimeoutNotACancellation)
{
    Response late = Response::withBody(200, "too late");
    late.delay = 5s;
    server.route("/late", late);
    Response stalled = Response::withBody(200, QByteArray(100, 'a'));
    stalled.stallAfterBodyBytes = 10;
    server.route("/stalled", stalled);

    for (const QString &path : {QStringLiteral("/late"), QStringLiteral("/stalled")}) {
        SCOPED_TRACE(path.toStdString());
        QElapsedTimer clock;
        clock.start();
        const TransportError error = sendExpectingTransportError(get(path, 300ms));
        EXPECT_EQ(error.code(), QNetworkReply::TimeoutError) << error.errorString().toStdString();
        EXPECT_LT(clock.elapsed(), 3000);
    }
}

TEST_F(HTTPTransportTest, NetworkFailuresAreTransportErrors)
{
    // Qt resends a request once when the connection closes before an answer.
    server.setHandler([](const LoopbackHTTPServer::Request &) {
        Response hangUp;
        hangUp.closeWithoutAnswer = true;
        return hangUp;
    });
    EXPECT_EQ(sendExpectingTransportError(get(QStringLiteral("/"))).code(), QNetworkReply::RemoteHostClosedError);

    // A port that was just free: nothing listens there.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    HTTPRequest refused;
    refused.url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(probe.serverPort()));
    probe.close();
    const TransportError error = sendExpectingTransportError(refused);
    EXPECT_EQ(error.code(), QNetworkReply::ConnectionRefusedError);
    EXPECT_FALSE(error.errorString().isEmpty());
}

TEST_F(HTTPTransportTest, CancellingTheTokenAbortsTheRequest)
{
    Response late = Response::withBody(200, "never read");
    late.delay = 5s;
    server.enqueue(late);

    CancellationToken token;
    QTimer::singleShot(100ms, [token] { token.cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(send(get(QStringLiteral("/slow")), token), CancellationError);
    EXPECT_LT(clock.elapsed(), 3000);

    // An already cancelled token sends nothing at all.
    const auto sentBefore = server.requests().size();
    EXPECT_THROW(send(get(QStringLiteral("/")), token), CancellationError);
    EXPECT_EQ(server.requests().size(), sentBefore);
}

TEST_F(HTTPTransportTest, BodiesOverTheLimitFailInsteadOfFillingMemory)
{
    QNetworkAccessManagerHTTPTransport limited(&manager, 64 * 1024);

    Response declared;
    declared.fillerBytes = 1024 * 1024;
    server.route("/declared", declared);
    Response undeclared = declared;
    undeclared.omitContentLength = true;
    server.route("/undeclared", undeclared);
    for (const QString &path : {QStringLiteral("/declared"), QStringLiteral("/undeclared")}) {
        SCOPED_TRACE(path.toStdString());
        try {
            waitForTask(limited.data(get(path)));
            ADD_FAILURE() << "an oversized body was accepted";
        } catch (const TransportError &error) {
            EXPECT_EQ(error.code(), QNetworkReply::UnknownContentError);
            EXPECT_EQ(error.errorString(), QStringLiteral("响应体超过 64 KiB 上限"));
        }
    }

    Response exact;
    exact.fillerBytes = 64 * 1024;
    server.route("/exact", exact);
    EXPECT_EQ(waitForTask(limited.data(get(QStringLiteral("/exact")))).body.size(), 64 * 1024);

    Response beyondDefault;
    beyondDefault.fillerBytes = QNetworkAccessManagerHTTPTransport::defaultMaximumBodySize + 1;
    server.route("/beyond", beyondDefault);
    EXPECT_EQ(sendExpectingTransportError(get(QStringLiteral("/beyond"))).errorString(),
              QStringLiteral("响应体超过 16 MiB 上限"));
}

TEST_F(HTTPTransportTest, NonHTTPAnswersHaveNoStatusCode)
{
    HTTPRequest dataURL;
    dataURL.url = QUrl(QStringLiteral("data:text/plain,hello"));
    const HTTPResponse fromData = send(dataURL);
    EXPECT_FALSE(fromData.statusCode.has_value());
    EXPECT_EQ(fromData.body, "hello");
}

} // namespace
