#include "app/cli/SystemCommandServices.h"

#include "app/cli/DBusApplicationInstance.h"
#include "app/cli/LookupCommand.h"

#include "platform/EspeakNgPronunciationTranscriber.h"
#include "platform/KeychainAPIKeyStore.h"
#include "services/AppPreferences.h"
#include "services/OpenAICompatibleAIClient.h"
#include "services/QNetworkAccessManagerHTTPTransport.h"
#include "services/SQLiteUserDefaults.h"
#include "services/SystemDictionaryClient.h"
#include "services/UserDefaultsLookupResultCache.h"
#include "services/WordNetDatabase.h"
#include "storage/ModelContainer.h"

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

AIClient &SystemCommandServices::aiClient()
{
    if (!m_aiClient)
        m_aiClient = std::make_unique<OpenAICompatibleAIClient>(std::make_shared<QNetworkAccessManagerHTTPTransport>());
    return *m_aiClient;
}

LookupResultCaching &SystemCommandServices::lookupResultCache()
{
    if (!m_lookupResultCache)
        m_lookupResultCache = std::make_unique<UserDefaultsLookupResultCache>(userDefaults());
    return *m_lookupResultCache;
}

const SystemDictionaryLookingUp &SystemCommandServices::systemDictionary()
{
    if (!m_systemDictionary)
        m_systemDictionary = std::make_unique<SystemDictionaryClient>(
            std::make_shared<const WordNetDatabase>(), std::make_shared<const EspeakNgPronunciationTranscriber>());
    return *m_systemDictionary;
}

std::optional<QString> SystemCommandServices::aiAPIKeyOverride()
{
    // Set but empty still counts: the lookup then fails for want of a key, keyring untouched.
    if (!qEnvironmentVariableIsSet(LookupCommand::apiKeyVariable))
        return std::nullopt;
    return qEnvironmentVariable(LookupCommand::apiKeyVariable);
}

ModelContext &SystemCommandServices::collection()
{
    if (!m_modelContainer)
        m_modelContainer = ModelContainer::forApplication();
    return m_modelContainer->mainContext();
}

ApplicationInstanceConnecting &SystemCommandServices::applicationInstance()
{
    if (!m_applicationInstance)
        m_applicationInstance = std::make_unique<DBusApplicationInstance>();
    return *m_applicationInstance;
}
