#include "platform/network/QNetworkAccessManagerHTTPTransport.h"

#include "network/TransportError.h"
#include "foundation/CancellationError.h"

#include <QCoreApplication>
#include <QCoroSignal>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

// The failures callers tell apart carry Qt's own numbers; the others are passed on by theirs.
constexpr bool sameNumber(TransportError::Code code, QNetworkReply::NetworkError error)
{
    return static_cast<int>(code) == static_cast<int>(error);
}
static_assert(sameNumber(TransportError::Code::connectionRefused, QNetworkReply::ConnectionRefusedError)
              && sameNumber(TransportError::Code::remoteHostClosed, QNetworkReply::RemoteHostClosedError)
              && sameNumber(TransportError::Code::hostNotFound, QNetworkReply::HostNotFoundError)
              && sameNumber(TransportError::Code::timedOut, QNetworkReply::TimeoutError)
              && sameNumber(TransportError::Code::operationCanceled, QNetworkReply::OperationCanceledError)
              && sameNumber(TransportError::Code::sslHandshakeFailed, QNetworkReply::SslHandshakeFailedError)
              && sameNumber(TransportError::Code::temporaryNetworkFailure, QNetworkReply::TemporaryNetworkFailureError)
              && sameNumber(TransportError::Code::networkSessionFailed, QNetworkReply::NetworkSessionFailedError)
              && sameNumber(TransportError::Code::tooManyRedirects, QNetworkReply::TooManyRedirectsError)
              && sameNumber(TransportError::Code::insecureRedirect, QNetworkReply::InsecureRedirectError)
              && sameNumber(TransportError::Code::unknownNetwork, QNetworkReply::UnknownNetworkError)
              && sameNumber(TransportError::Code::unknownContent, QNetworkReply::UnknownContentError));

TransportError::Code codeOf(QNetworkReply::NetworkError error) { return static_cast<TransportError::Code>(error); }

// Qt 6.4 reports a cancellation by us, its own transfer time-out and our size limit all as
// OperationCanceledError, so the transport remembers which abort it caused.
enum class AbortReason { none, cancelled, timedOut, pastDeadline, oversized };

constexpr int maximumRedirects = 10;

struct TransferState {
    QByteArray body;
    AbortReason abortReason = AbortReason::none;
    bool progressed = false;
};

struct ReplyDeleter {
    void operator()(QNetworkReply *reply) const
    {
        if (!reply->isFinished())
            reply->abort();
        // The reply may still be delivering a signal that resumed us.
        reply->deleteLater();
    }
};
using ReplyPointer = std::unique_ptr<QNetworkReply, ReplyDeleter>;

QString sizeText(qint64 bytes)
{
    constexpr qint64 mebibyte = 1024 * 1024;
    if (bytes >= mebibyte && bytes % mebibyte == 0)
        return QStringLiteral("%1 MiB").arg(bytes / mebibyte);
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes / 1024);
    return QStringLiteral("%1 字节").arg(bytes);
}

TransportError oversizedBodyError(qint64 limit)
{
    return {TransportError::Code::unknownContent, QStringLiteral("响应体超过 %1 上限").arg(sizeText(limit))};
}

TransportError timeoutError(std::chrono::milliseconds timeout)
{
    return {TransportError::Code::timedOut,
            QStringLiteral("Request timed out: no data transferred for %1 ms").arg(timeout.count())};
}

TransportError deadlineError(std::chrono::milliseconds deadline)
{
    return {TransportError::Code::timedOut, QStringLiteral("Request timed out: not done within %1 ms").arg(deadline.count())};
}

// Errors Qt derives from an HTTP status of 400 or more. With such a status present they
// only repeat it, and the caller judges the status itself.
bool isErrorOfHTTPStatus(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

QNetworkReply *send(QNetworkAccessManager &manager, const QNetworkRequest &networkRequest,
                    const HTTPRequest &request)
{
    const QByteArray method = request.method.toUpper();
    if (method == "GET" && request.body.isEmpty())
        return manager.get(networkRequest);
    if (method == "HEAD")
        return manager.head(networkRequest);
    if (method == "POST")
        return manager.post(networkRequest, request.body);
    if (method == "PUT")
        return manager.put(networkRequest, request.body);
    if (method == "DELETE" && request.body.isEmpty())
        return manager.deleteResource(networkRequest);
    return manager.sendCustomRequest(networkRequest, method, request.body);
}

struct Exchange {
    HTTPResponse response;
    QByteArray location; // the Location header of an HTTP answer
};

// One request and its answer, without following redirects.
QCoro::Task<Exchange> exchange(QNetworkAccessManager *manager, HTTPRequest request, qint64 limit,
                               std::chrono::steady_clock::time_point deadline, CancellationToken cancellation)
{
    // Qt treats a transfer time-out of 0 as "none"; a request always has one.
    const auto timeout = std::clamp(request.timeout, std::chrono::milliseconds{1},
                                    std::chrono::milliseconds{std::numeric_limits<int>::max()});

    QNetworkRequest networkRequest(request.url);
    for (const auto &[name, value] : request.headers)
        networkRequest.setRawHeader(name, value);
    networkRequest.setTransferTimeout(static_cast<int>(timeout.count()));
    // Redirects are followed by data(): Qt 6.4 sends a request twice when a redirect comes
    // with an empty body, and mixes the bodies of both answers.
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);

    auto state = std::make_shared<TransferState>();
    ReplyPointer reply(send(*manager, networkRequest, request));
    QNetworkReply *rawReply = reply.get();

    const auto abortFor = [state, rawReply](AbortReason reason) {
        if (state->abortReason == AbortReason::none)
            state->abortReason = reason;
        rawReply->abort();
    };
    const auto markProgress = [state] { state->progressed = true; };
    QObject::connect(rawReply, &QNetworkReply::uploadProgress, rawReply, markProgress);
    QObject::connect(rawReply, &QNetworkReply::downloadProgress, rawReply, markProgress);
    QObject::connect(rawReply, &QNetworkReply::metaDataChanged, rawReply, [state, rawReply, limit, abortFor] {
        state->progressed = true;
        // Refuse a declared oversized body before any of it arrives.
        const QVariant length = rawReply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limit)
            abortFor(AbortReason::oversized);
    });
    QObject::connect(rawReply, &QNetworkReply::readyRead, rawReply, [state, rawReply, limit, abortFor] {
        state->progressed = true;
        state->body += rawReply->readAll();
        if (state->body.size() > limit) {
            state->body.clear();
            abortFor(AbortReason::oversized);
        }
    });
    auto cancelRegistration = cancellation.onCancel([abortFor] { abortFor(AbortReason::cancelled); });

    // Qt's transfer time-out catches a stall; this watchdog ends the wait where Qt applies
    // none (non-HTTP schemes), and at the deadline however slowly data still trickles in.
    while (!reply->isFinished()) {
        state->progressed = false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const auto finished = co_await qCoro(rawReply, &QNetworkReply::finished,
                                             std::clamp(left, std::chrono::milliseconds{0}, timeout));
        if (finished || reply->isFinished())
            continue;
        if (std::chrono::steady_clock::now() >= deadline)
            abortFor(AbortReason::pastDeadline);
        else if (!state->progressed)
            abortFor(AbortReason::timedOut);
    }
    cancelRegistration = {};

    if (cancellation.isCancelled())
        throw CancellationError();
    if (state->abortReason == AbortReason::oversized)
        throw oversizedBodyError(limit);
    if (state->abortReason == AbortReason::pastDeadline)
        throw deadlineError(request.deadline);
    const QNetworkReply::NetworkError error = reply->error();
    if (state->abortReason == AbortReason::timedOut || error == QNetworkReply::TimeoutError
        || (error == QNetworkReply::OperationCanceledError && state->abortReason == AbortReason::none))
        throw timeoutError(timeout);

    state->body += reply->readAll();
    if (state->body.size() > limit)
        throw oversizedBodyError(limit);

    // Qt's file: replies carry a made-up status 200; only an HTTP exchange has a real one.
    const QString scheme = reply->url().scheme().toLower();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool hasStatus = status.isValid() && (scheme == u"http" || scheme == u"https");
    if (error != QNetworkReply::NoError && !(hasStatus && status.toInt() >= 400 && isErrorOfHTTPStatus(error)))
        throw TransportError(codeOf(error), reply->errorString());

    Exchange result;
    result.response.body = std::move(state->body);
    if (hasStatus) {
        result.response.statusCode = status.toInt();
        result.location = reply->rawHeader("Location");
    }
    co_return result;
}

bool isFollowedRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0
        && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && a.port(-1) == b.port(-1);
}

void removeHeader(HTTPRequest &request, const QByteArray &name)
{
    request.headers.removeIf([&name](const auto &header) { return header.first.compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace

QNetworkAccessManagerHTTPTransport::QNetworkAccessManagerHTTPTransport(QNetworkAccessManager *manager,
                                                                       qint64 maximumBodySize)
    : m_manager(manager), m_usesSharedManager(manager == nullptr), m_maximumBodySize(maximumBodySize)
{
}

QNetworkAccessManager *QNetworkAccessManagerHTTPTransport::sharedNetworkAccessManager()
{
    static QPointer<QNetworkAccessManager> shared;
    Q_ASSERT(!QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread());
    if (!shared)
        shared = new QNetworkAccessManager(QCoreApplication::instance());
    return shared;
}

QCoro::Task<HTTPResponse> QNetworkAccessManagerHTTPTransport::data(HTTPRequest request,
                                                                  CancellationToken cancellation)
{
    cancellation.throwIfCancelled();

    // Nothing below may touch `this` after the first suspension: the transport can go away
    // while a request is in flight.
    QNetworkAccessManager *manager = m_usesSharedManager ? sharedNetworkAccessManager() : m_manager.data();
    const qint64 limit = m_maximumBodySize;
    if (!manager)
        throw TransportError(TransportError::Code::unknownNetwork,
                             QStringLiteral("The network access manager no longer exists"));

    const auto deadline = std::chrono::steady_clock::now() + request.deadline;
    for (int redirects = 0;; ++redirects) {
        Exchange answer = co_await exchange(manager, request, limit, deadline, cancellation);
        const int status = answer.response.statusCode.value_or(0);
        if (!isFollowedRedirect(status) || answer.location.isEmpty())
            co_return std::move(answer.response);

        if (redirects == maximumRedirects)
            throw TransportError(TransportError::Code::tooManyRedirects,
                                 QStringLiteral("More than %1 redirects").arg(maximumRedirects));
        const QUrl target = request.url.resolved(QUrl::fromEncoded(answer.location));
        const QString scheme = target.scheme().toLower();
        const bool leavesHTTPS = request.url.scheme().compare(u"https", Qt::CaseInsensitive) == 0 && scheme != u"https";
        if (!target.isValid() || (scheme != u"http" && scheme != u"https") || leavesHTTPS)
            throw TransportError(TransportError::Code::insecureRedirect,
                                 QStringLiteral("Refused redirect to %1").arg(target.toDisplayString(QUrl::RemoveUserInfo)));

        // As browsers do: 303, and 301/302 after a POST, continue as a GET without a body.
        if (status == 303 || ((status == 301 || status == 302) && request.method.toUpper() == "POST")) {
            request.method = "GET";
            request.body.clear();
            removeHeader(request, "Content-Type");
            removeHeader(request, "Content-Length");
        }
        // Credentials are for the origin they were configured for, never for another one.
        if (!sameOrigin(request.url, target)) {
            removeHeader(request, "Authorization");
            removeHeader(request, "Cookie");
        }
        request.url = target;
    }
}
