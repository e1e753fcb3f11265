#pragma once

#include "network/HTTPTransport.h"

#include <QPointer>

class QNetworkAccessManager;

// The HTTP transport of the application: Qt's network access over one shared
// QNetworkAccessManager, so connections are reused between requests. TLS certificates
// are verified. Up to 10 redirects are followed, never from HTTPS to plain HTTP nor to a
// non-HTTP URL, and the Authorization header never follows one to another origin.
// Main thread only; the manager must outlive the requests sent through it.
class QNetworkAccessManagerHTTPTransport : public HTTPTransport {
public:
    static constexpr qint64 defaultMaximumBodySize = 16 * 1024 * 1024;

    // Without a manager the transport uses sharedNetworkAccessManager(). Bodies longer than
    // `maximumBodySize` fail with TransportError(unknownContent) instead of being kept.
    explicit QNetworkAccessManagerHTTPTransport(QNetworkAccessManager *manager = nullptr,
                                                qint64 maximumBodySize = defaultMaximumBodySize);

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken cancellation = {}) override;

    qint64 maximumBodySize() const { return m_maximumBodySize; }

    // Created on first use as a child of the application object, so it dies with it.
    static QNetworkAccessManager *sharedNetworkAccessManager();

private:
    QPointer<QNetworkAccessManager> m_manager;
    bool m_usesSharedManager;
    qint64 m_maximumBodySize;
};
