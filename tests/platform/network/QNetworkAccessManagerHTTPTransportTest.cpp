#include "platform/network/QNetworkAccessManagerHTTPTransport.h"

#include "foundation/CancellationError.h"
#include "network/TransportError.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Response = LoopbackHTTPServer::Response;

namespace {

Response redirectTo(int status, const QByteArray &location)
{
    Response response;
    response.status = status;
    response.headers = {{"Location", location}};
    return response;
}

class HTTPTransportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.isListening()); }

    HTTPRequest request(const QString &path, const QByteArray &method = "GET", std::chrono::milliseconds timeout = 10s)
    {
        HTTPRequest request;
        request.url = server.url(path);
        request.method = method;
        request.timeout = timeout;
        if (method == "POST") {
            request.headers = {{"Authorization", "Bearer sk-secret"}, {"Content-Type", "application/json"}};
            request.body = R"({"messages":[{"content":"你好"}]})";
        }
        return request;
    }
    HTTPResponse send(HTTPRequest request, CancellationToken cancellation = {})
    {
        return waitForTask(transport.data(std::move(request), std::move(cancellation)));
    }
    TransportError failure(HTTPRequest request, HTTPTransport *through = nullptr)
    {
        try {
            waitForTask((through ? *through : transport).data(std::move(request)));
        } catch (const TransportError &error) {
            return error;
        }
        ADD_FAILURE() << "the request did not fail";
        return {TransportError::Code::unknownNetwork, {}};
    }

    LoopbackHTTPServer server;
    QNetworkAccessManager manager;
    QNetworkAccessManagerHTTPTransport transport{&manager};
};

TEST_F(HTTPTransportTest, SendsTheRequestAndReturnsAnyStatusWithItsBodyOverOneConnection)
{
    const std::pair<int, QByteArray> answers[] = {{200, "first"}, {204, ""}, {401, R"({"error":"key"})"}};
    for (const auto &[status, body] : answers)
        server.enqueue(Response::withBody(status, body));
    const HTTPRequest post = request("/v1/chat/completions?x=1", "POST");
    for (const auto &[status, body] : answers) {
        const HTTPResponse response = send(status == 200 ? post : request("/audio.mp3"));
        EXPECT_EQ(response.statusCode, status);
        EXPECT_EQ(response.body, body);
    }
    ASSERT_EQ(server.requests().size(), 3);
    const auto &sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.target, "/v1/chat/completions?x=1");
    EXPECT_EQ(sent.header("Authorization"), "Bearer sk-secret");
    EXPECT_EQ(sent.header("Content-Type"), "application/json");
    EXPECT_EQ(sent.body, post.body);
    EXPECT_EQ(server.requests()[1].method, "GET");
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(HTTPTransportTest, FollowsRedirectsOnceEachWithoutCarryingCredentialsAway)
{
    // An empty redirect body once made Qt send the first request twice and mix the bodies.
    server.enqueue(redirectTo(302, "/v1/audio/final.wav"));
    server.enqueue(Response::withBody(200, "RIFF", "audio/wav"));
    EXPECT_EQ(send(request("/v1/audio/task")).body, "RIFF");
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[1].target, "/v1/audio/final.wav");

    // 307 keeps the method; a 303 goes on as a GET; the key goes along only to the same origin.
    LoopbackHTTPServer elsewhere;
    server.enqueue(redirectTo(307, "/v2/chat"));
    server.enqueue(redirectTo(303, elsewhere.url("/result").toEncoded()));
    elsewhere.enqueue(Response::withBody(200, "done"));
    const HTTPRequest post = request("/v1/chat", "POST");
    EXPECT_EQ(send(post).body, "done");
    ASSERT_EQ(server.requests().size(), 4);
    EXPECT_EQ(server.requests()[3].method, "POST");
    EXPECT_EQ(server.requests()[3].body, post.body);
    EXPECT_EQ(server.requests()[3].header("Authorization"), "Bearer sk-secret");
    ASSERT_EQ(elsewhere.requests().size(), 1);
    EXPECT_EQ(elsewhere.requests()[0].method, "GET");
    EXPECT_TRUE(elsewhere.requests()[0].header("Authorization").isEmpty());

    server.enqueue(redirectTo(302, "file:///etc/passwd"));
    EXPECT_EQ(failure(request("/")).code(), TransportError::Code::insecureRedirect);
    server.setHandler([](const LoopbackHTTPServer::Request &) { return redirectTo(302, "/again"); });
    EXPECT_EQ(failure(request("/again")).code(), TransportError::Code::tooManyRedirects);
}

TEST_F(HTTPTransportTest, SilenceTimesOutAndFailedConnectionsAreTransportErrors)
{
    Response late = Response::withBody(200, "too late");
    late.delay = 5s;
    server.enqueue(late);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(failure(request("/late", "GET", 300ms)).code(), TransportError::Code::timedOut);
    EXPECT_LT(clock.elapsed(), 3000);

    // Data trickling in never stalls, but the exchange as a whole ends at its deadline.
    Response trickle = Response::withBody(200, QByteArray(100, 'x'));
    trickle.trickleInterval = 20ms;
    server.route("/trickle", trickle);
    HTTPRequest slow = request("/trickle", "GET", 300ms);
    slow.deadline = 500ms;
    clock.restart();
    EXPECT_EQ(failure(slow).code(), TransportError::Code::timedOut);
    EXPECT_LT(clock.elapsed(), 1500);

    // Qt resends a request once when the connection closes before an answer.
    server.setHandler([](const LoopbackHTTPServer::Request &) {
        Response hangUp;
        hangUp.closeWithoutAnswer = true;
        return hangUp;
    });
    EXPECT_EQ(failure(request("/")).code(), TransportError::Code::remoteHostClosed);
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
    EXPECT_THROW(send(request("/slow"), token), CancellationError);
    EXPECT_LT(clock.elapsed(), 3000);

    // An already cancelled token sends nothing at all.
    const auto sentBefore = server.requests().size();
    EXPECT_THROW(send(request("/"), token), CancellationError);
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
    for (const char *path : {"/declared", "/undeclared"})
        EXPECT_EQ(failure(request(path), &limited).code(), TransportError::Code::unknownContent) << path;
    Response exact;
    exact.fillerBytes = 64 * 1024;
    server.route("/exact", exact);
    EXPECT_EQ(waitForTask(limited.data(request("/exact"))).body.size(), 64 * 1024);
}

} // namespace
