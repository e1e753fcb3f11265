#include "support/LoopbackHTTPServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

constexpr qint64 fillerChunkSize = 64 * 1024;
// Keeps the socket's write buffer small while a large body streams out.
constexpr qint64 writeBufferHighWater = 256 * 1024;

} // namespace

struct LoopbackHTTPServer::Connection {
    QPointer<QTcpSocket> socket;
    int number = 0;
    QByteArray input;
    bool answering = false; // from reading a request until its answer is out
    bool writing = false;   // streaming filler
    qint64 fillerRemaining = 0;
    bool closeWhenDone = false;
    bool stalled = false;
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

quint16 LoopbackHTTPServer::port() const { return m_server->serverPort(); }

QUrl LoopbackHTTPServer::url(const QString &pathAndQuery) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(pathAndQuery));
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
        ++m_connectionCount;
        auto connection = std::make_shared<Connection>();
        connection->socket = socket;
        connection->number = m_connectionCount;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, connection] {
            connection->input += connection->socket->readAll();
            serveNext(connection);
        });
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this, connection] { pump(connection); });
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
    if (m_handler)
        return m_handler(request);
    return Response::withBody(500, "no canned response left", "text/plain");
}

void LoopbackHTTPServer::serveNext(const std::shared_ptr<Connection> &connection)
{
    if (connection->answering || !connection->socket)
        return;
    const qsizetype headEnd = connection->input.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;

    const QList<QByteArray> lines = connection->input.left(headEnd).split('\n');
    Request request;
    request.connection = connection->number;
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    qint64 contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = lines[i].left(colon).trimmed();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
            contentLength = value.toLongLong();
    }
    const qsizetype bodyStart = headEnd + 4;
    if (connection->input.size() - bodyStart < contentLength)
        return;
    request.body = connection->input.mid(bodyStart, contentLength);
    connection->input.remove(0, bodyStart + contentLength);

    m_requests.append(request);
    const Response response = nextResponse(request);
    connection->answering = true;
    if (response.delay.count() > 0) {
        QTimer::singleShot(response.delay, connection->socket.data(),
                           [this, connection, response] { respond(connection, response); });
    } else {
        respond(connection, response);
    }
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

    const qint64 bodySize = response.body.size() + response.fillerBytes;
    // Clients go by the status code; the reason phrase is the same for all.
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (response.omitContentLength)
        head += "Connection: close\r\n";
    else
        head += "Content-Length: " + QByteArray::number(bodySize) + "\r\n";
    head += "\r\n";
    socket->write(head);

    qint64 budget = response.stallAfterBodyBytes.value_or(bodySize);
    const qint64 explicitBytes = std::min<qint64>(budget, response.body.size());
    socket->write(response.body.left(explicitBytes));
    budget -= explicitBytes;

    connection->fillerRemaining = std::min(budget, response.fillerBytes);
    connection->stalled = response.stallAfterBodyBytes.has_value();
    connection->closeWhenDone = response.omitContentLength;
    connection->writing = true;
    pump(connection);
}

void LoopbackHTTPServer::pump(const std::shared_ptr<Connection> &connection)
{
    QTcpSocket *socket = connection->socket;
    if (!socket || !connection->writing)
        return;
    while (connection->fillerRemaining > 0 && socket->bytesToWrite() < writeBufferHighWater) {
        const qint64 chunk = std::min(fillerChunkSize, connection->fillerRemaining);
        socket->write(QByteArray(chunk, 'x'));
        connection->fillerRemaining -= chunk;
    }
    if (connection->fillerRemaining > 0)
        return;
    connection->writing = false;
    if (connection->stalled)
        return;
    if (connection->closeWhenDone) {
        socket->disconnectFromHost();
        return;
    }
    connection->answering = false;
    serveNext(connection);
}
