#pragma once

#include "preferences/APIKeyStoring.h"

#include <chrono>

// One API key kept as a secret in the desktop's Secret Service (org.freedesktop.secrets,
// e.g. gnome-keyring), reached through QtKeychain. The secret is identified by service and
// account and holds the key's UTF-8 bytes.
//
// Outcomes and the statuses of KeychainAPIKeyStoreError::unhandledStatus:
//   stored key                                   -> the key (bytes that are not UTF-8 read as "")
//   nothing stored                               -> "" (a save of "" deletes; deleting nothing succeeds)
//   no session bus, or no Secret Service running
//   or activatable on it, or no keyring backend  -> notAvailableStatus (-25291)
//   keyring locked, access denied                -> authFailedStatus (-25293)
//   the unlock prompt was dismissed              -> userCanceledStatus (-128)
//   no answer within the time-out                -> interactionNotAllowedStatus (-25308)
//   operation not implemented by the backend     -> unimplementedStatus (-4)
//   any other failure                            -> internalFailureStatus (-2070)
// The Secret Service is checked before every operation because a locked or absent keyring
// answers a read with "not found", which would pass for "no key saved".
class KeychainAPIKeyStore : public APIKeyStoring {
public:
    static QString defaultService() { return QStringLiteral("com.rarozezev.Rarozezev"); }
    static QString aiAPIKeyAccount() { return QStringLiteral("ai-api-key.v2"); }
    static QString ttsAPIKeyAccount() { return QStringLiteral("tts-api-key.v1"); }

    KeychainAPIKeyStore(QString service, QString account);
    explicit KeychainAPIKeyStore(QString account) : KeychainAPIKeyStore(defaultService(), std::move(account)) {}

    QCoro::Task<QString> loadAPIKey() override;
    QCoro::Task<void> saveAPIKey(QString key) override;

    const QString &service() const { return m_service; }
    const QString &account() const { return m_account; }
    // How long one keyring operation may take, an unlock prompt included. Default 60 s.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

private:
    QString m_service;
    QString m_account;
    std::chrono::milliseconds m_timeout{60000};
};
