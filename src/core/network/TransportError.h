#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A request that produced no usable response: the connection failed, timed out, was
// refused, or the body broke a limit. HTTP error statuses are not transport errors.
class TransportError : public std::exception {
public:
    // What went wrong. The numbers are those of Qt's network access, whose transport passes
    // its other failures on by their number, which the learner sees for the uncommon ones.
    enum class Code : int {
        connectionRefused = 1,
        remoteHostClosed = 2,
        hostNotFound = 3,
        timedOut = 4,
        operationCanceled = 5,
        sslHandshakeFailed = 6,
        temporaryNetworkFailure = 7,
        networkSessionFailed = 8,
        tooManyRedirects = 10,
        insecureRedirect = 11,
        unknownNetwork = 99,
        unknownContent = 299,
    };

    TransportError(Code code, QString errorString);

    Code code() const { return m_code; }
    // The transport's description of the failure, or ours for the failures we detect ourselves.
    const QString &errorString() const { return m_errorString; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    Code m_code;
    QString m_errorString;
    QByteArray m_utf8;
};
