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

// A small HTTP/1.1 server on 127.0.0.1, on the test's own event loop. It answers each request
// with the response routed to its target, else the next queued one, else the handler's; it
// records what it was sent and can misbehave on purpose: answer late, hang up, send a large
// body or go silent halfway.
class LoopbackHTTPServer {
public:
    using HeaderList = QList<std::pair<QByteArray, QByteArray>>;

    struct Request {
        QByteArray method;
        QByteArray target; // path and query as sent
        HeaderList headers;
        QByteArray body;

        // First header of that name, compared case-insensitively; empty when missing.
        QByteArray header(const QByteArray &name) const;
    };

    struct Response {
        int status = 200;
        HeaderList headers;
        QByteArray body;
        std::chrono::milliseconds delay{0};        // before answering
        bool closeWithoutAnswer = false;           // hang up instead
        qint64 fillerBytes = 0;                    // appended to the body
        bool omitContentLength = false;            // the body then ends when the connection closes
        std::optional<qint64> stallAfterBodyBytes; // send this much of the body, then nothing more
        std::chrono::milliseconds trickleInterval{0}; // send the body a byte at a time at this pace

        static Response withBody(int status, QByteArray body, QByteArray contentType = "application/json");
    };

    using Handler = std::function<Response(const Request &)>;

    LoopbackHTTPServer();
    ~LoopbackHTTPServer();

    bool isListening() const;
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
    Response nextResponse(const Request &request);

    std::unique_ptr<QTcpServer> m_server;
    QList<std::pair<QByteArray, Response>> m_routes;
    std::deque<Response> m_queue;
    Handler m_handler;
    QList<Request> m_requests;
    int m_connectionCount = 0;
};
