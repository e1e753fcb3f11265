#include "support/LoopbackHTTPServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

struct LoopbackHTTPServer::Connection {
    QPointer<QTcpSocket> socket;
    QByteArray input;
    bool answering = false; // from reading a request until its answer is out
};

QByteArray LoopbackHTTPServer::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

LoopbackHTTPServer::Response LoopbackHTTPServer::Response::withBody(int status, QByteArray body,
                                                                    QByteArray contentType)
{
    Response response;
    response.status = status;
    response.body = std::move(body);
    response.headers.append({"Content-Type", std::move(contentType)});
    return response;
}

LoopbackHTTPServer::LoopbackHTTPServer() : m_server(std::make_unique<QTcpServer>())
{
    QObject::connect(m_server.get(), &QTcpServer::newConnection, m_server.get(), [this] { accept(); });
    m_server->listen(QHostAddress::LocalHost, 0);
}

LoopbackHTTPServer::~LoopbackHTTPServer() = default;

bool LoopbackHTTPServer::isListening() const { return m_server->isListening(); }

QUrl LoopbackHTTPServer::url(const QString &pathAndQuery) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server->serverPort()).arg(pathAndQuery));
}

void LoopbackHTTPServer::route(const QByteArray &target, Response response)
{
    m_routes.append({target, std::move(response)});
}

void LoopbackHTTPServer::enqueue(Response response) { m_queue.push_back(std::move(response)); }

void LoopbackHTTPServer::setHandler(Handler handler) { m_handler = std::move(handler); }

void LoopbackHTTPServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        auto connection = std::make_shared<Connection>();
        connection->socket = socket;
        ++m_connectionCount;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, connection] {
            connection->input += connection->socket->readAll();
            serveNext(connection);
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

LoopbackHTTPServer::Response LoopbackHTTPServer::nextResponse(const Request &request)
{
    for (const auto &[target, response] : m_routes) {
        if (target == request.target)
            return response;
    }
    if (!m_queue.empty()) {
        Response response = std::move(m_queue.front());
        m_queue.pop_front();
        return response;
    }
    return m_handler ? m_handler(request) : Response::withBody(500, "no canned response left", "text/plain");
}

void LoopbackHTTPServer::serveNext(const std::shared_ptr<Connection> &connection)
{
    const qsizetype headEnd = connection->input.indexOf("\r\n\r\n");
    if (connection->answering || !connection->socket || headEnd < 0)
        return;
    const QList<QByteArray> lines = connection->input.left(headEnd).split('\n');
    Request request;
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (const qsizetype colon = lines[i].indexOf(':'); colon > 0)
            request.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    const qint64 contentLength = request.header("Content-Length").toLongLong();
    const qsizetype bodyStart = headEnd + 4;
    if (connection->input.size() - bodyStart < contentLength)
        return;
    request.body = connection->input.mid(bodyStart, contentLength);
    connection->input.remove(0, bodyStart + contentLength);

    m_requests.append(request);
    const Response response = nextResponse(request);
    connection->answering = true;
    QTimer::singleShot(response.delay, connection->socket.data(),
                       [this, connection, response] { respond(connection, response); });
}

void LoopbackHTTPServer::respond(const std::shared_ptr<Connection> &connection, const Response &response)
{
    QTcpSocket *socket = connection->socket;
    if (!socket)
        return;
    if (response.closeWithoutAnswer) {
        socket->disconnectFromHost();
        return;
    }
    const QByteArray body = response.body + QByteArray(response.fillerBytes, 'x');
    // Clients go by the status code; the reason phrase is the same for all.
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += response.omitContentLength ? QByteArray("Connection: close\r\n")
                                       : "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    if (response.trickleInterval.count() > 0) {
        socket->write(head + "\r\n");
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, body, sent = qsizetype(0)]() mutable {
            socket->write(body.mid(sent++, 1));
        });
        timer->start(response.trickleInterval);
        return;
    }
    socket->write(head + "\r\n" + body.left(response.stallAfterBodyBytes.value_or(body.size())));
    if (response.stallAfterBodyBytes)
        return;
    if (response.omitContentLength) {
        socket->disconnectFromHost(); // after the pending bytes are written
        return;
    }
    connection->answering = false;
    serveNext(connection);
}
