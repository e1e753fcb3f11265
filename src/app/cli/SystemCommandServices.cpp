#include "app/cli/SystemCommandServices.h"

#include "platform/KeychainAPIKeyStore.h"
#include "services/AppPreferences.h"
#include "services/SQLiteUserDefaults.h"

SystemCommandServices::SystemCommandServices() = default;
SystemCommandServices::~SystemCommandServices() = default;

SQLiteUserDefaults &SystemCommandServices::userDefaults()
{
    if (!m_userDefaults)
        m_userDefaults = std::make_unique<SQLiteUserDefaults>();
    return *m_userDefaults;
}

AppPreferencesStoring &SystemCommandServices::preferences()
{
    if (!m_preferences)
        m_preferences = std::make_unique<AppPreferences>(
            userDefaults(), std::make_shared<KeychainAPIKeyStore>(KeychainAPIKeyStore::aiAPIKeyAccount()),
            std::make_shared<KeychainAPIKeyStore>(KeychainAPIKeyStore::ttsAPIKeyAccount()));
    return *m_preferences;
}
