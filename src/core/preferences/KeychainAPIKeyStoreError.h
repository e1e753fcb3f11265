#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <exception>

// A failed key-store operation. The one case carries a keychain-style status code, which the
// settings screen shows as "Keychain 操作失败（OSStatus <code>）". The statuses our stores use
// are named below; KeychainAPIKeyStore documents which failure maps to which.
class KeychainAPIKeyStoreError : public std::exception {
public:
    enum class Kind { unhandledStatus };

    static constexpr qint32 itemNotFoundStatus = -25300;
    static constexpr qint32 notAvailableStatus = -25291;
    static constexpr qint32 authFailedStatus = -25293;
    static constexpr qint32 userCanceledStatus = -128;
    static constexpr qint32 interactionNotAllowedStatus = -25308;
    static constexpr qint32 unimplementedStatus = -4;
    static constexpr qint32 internalFailureStatus = -2070;

    static KeychainAPIKeyStoreError unhandledStatus(qint32 status) { return KeychainAPIKeyStoreError(status); }

    Kind kind() const { return Kind::unhandledStatus; }
    qint32 status() const { return m_status; }
    // Technical text for logs only; the user sees the status.
    const char *what() const noexcept override { return m_what.constData(); }

    bool operator==(const KeychainAPIKeyStoreError &other) const { return m_status == other.m_status; }

private:
    explicit KeychainAPIKeyStoreError(qint32 status)
        : m_status(status), m_what("keychain operation failed with status " + QByteArray::number(status))
    {
    }

    qint32 m_status;
    QByteArray m_what;
};
