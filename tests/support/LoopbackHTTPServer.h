#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests of code that talks HTTP. It answers each
// request with the response routed to its target, else the next queued canned response,
// else the handler's, and records what it was sent, and can misbehave on purpose: answer late, hang up, stream a
// large body or go silent halfway. It runs on the test's own event loop.
class LoopbackHTTPServer {
public:
    using HeaderList = QList<std::pair<QByteArray, QByteArray>>;

    struct Request {
        QByteArray method;
        QByteArray target; // path and query as sent
        HeaderList headers;
        QByteArray body;
        int connection = 0; // which connection it came on, counting from 1

        // First header of that name, compared case-insensitively; empty when missing.
        QByteArray header(const QByteArray &name) const;
    };

    struct Response {
        int status = 200;
        HeaderList headers;
        QByteArray body;
        // Wait this long before answering.
        std::chrono::milliseconds delay{0};
        // Hang up instead of answering.
        bool closeWithoutAnswer = false;
        // Append this many filler bytes to the body, streamed so the server holds little.
        qint64 fillerBytes = 0;
        // Send no Content-Length; the body then ends when the connection closes.
        bool omitContentLength = false;
        // Send the head and this many body bytes, then nothing more (the connection stays open).
        std::optional<qint64> stallAfterBodyBytes;

        static Response withBody(int status, QByteArray body, QByteArray contentType = "application/json");
    };

    using Handler = std::function<Response(const Request &)>;

    LoopbackHTTPServer();
    ~LoopbackHTTPServer();
    LoopbackHTTPServer(const LoopbackHTTPServer &) = delete;
    LoopbackHTTPServer &operator=(const LoopbackHTTPServer &) = delete;

    bool isListening() const;
    quint16 port() const;
    QUrl url(const QString &pathAndQuery = QStringLiteral("/")) const;

    // Answers every request for exactly this target (path and query). Prefer routes over the
    // queue after an aborted request: Qt may resend a request it gave up on, which would
    // take the next queued answer.
    void route(const QByteArray &target, Response response);
    void enqueue(Response response);
    // Answers requests once the queue is empty; without one they get a 500.
    void setHandler(Handler handler);

    const QList<Request> &requests() const { return m_requests; }
    int connectionCount() const { return m_connectionCount; }

private:
    struct Connection;

    void accept();
    void serveNext(const std::shared_ptr<Connection> &connection);
    void respond(const std::shared_ptr<Connection> &connection, const Response &response);
    void pump(const std::shared_ptr<Connection> &connection);
    Response nextResponse(const Request &request);

    std::unique_ptr<QTcpServer> m_server;
    QList<std::pair<QByteArray, Response>> m_routes;
    std::deque<Response> m_queue;
    Handler m_handler;
    QList<Request> m_requests;
    int m_connectionCount = 0;
};
