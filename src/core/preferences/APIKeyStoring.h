#pragma once

#include <QCoroTask>
#include <QString>

// Where one API key is kept. Asynchronous because the system's secret store answers over
// D-Bus; callers await it on the main thread.
class APIKeyStoring {
public:
    virtual ~APIKeyStoring() = default;

    // The stored key, or an empty string when none is stored. Throws
    // KeychainAPIKeyStoreError when the store cannot tell (unreachable, locked, refused).
    virtual QCoro::Task<QString> loadAPIKey() = 0;
    // Stores the key in place of any previous one; an empty key deletes it (deleting a
    // missing key succeeds). Throws KeychainAPIKeyStoreError when the key was not stored.
    virtual QCoro::Task<void> saveAPIKey(QString key) = 0;
};
