#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>

#include <exception>

// A request that produced no usable response: the connection failed, timed out, was
// refused, or the body broke a limit. HTTP error statuses are not transport errors.
class TransportError : public std::exception {
public:
    TransportError(QNetworkReply::NetworkError code, QString errorString);

    QNetworkReply::NetworkError code() const { return m_code; }
    // Qt's description of the failure, or ours for the failures we detect ourselves.
    const QString &errorString() const { return m_errorString; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QNetworkReply::NetworkError m_code;
    QString m_errorString;
    QByteArray m_utf8;
};
