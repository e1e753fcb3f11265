#include "app/AppServices.h"

#include "app/AudioModule.h"
#include "app/DeferredAPIKeyStore.h"
#include "app/DeferredHTTPTransport.h"
#include "app/DeferredPlaybackOutput.h"
#include "app/DeferredPronunciationTranscriber.h"
#include "app/DesktopModule.h"
#include "app/DesktopServicing.h"
#include "app/NetworkModule.h"
#include "app/cli/LookupCommand.h"
#include "ai/OpenAICompatibleAIClient.h"
#include "daily/OpenAICompatibleDailyRecommendationClient.h"
#include "daily/UserDefaultsDailyRecommendationCache.h"
#include "dictionary/ChineseGlossTable.h"
#include "dictionary/StarDictLibrary.h"
#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"
#include "logging/AppLogger.h"
#include "lookup/UserDefaultsLookupResultCache.h"
#include "platform/keyring/KeychainAPIKeyStore.h"
#include "preferences/AppPreferences.h"
#include "preferences/LaunchAtLogin.h"
#include "preferences/SQLiteUserDefaults.h"
#include "speech/CompatibleTextToSpeechClient.h"
#include "speech/OpenAITextToSpeechClient.h"
#include "storage/ModelContainer.h"

#include <QCoreApplication>
#include <QStandardPaths>

AppServices::AppServices() = default;
AppServices::~AppServices() = default;

DesktopServicing &AppServices::desktop()
{
    if (!m_desktop)
        m_desktop = DesktopModule::load().makeServices(*this);
    return *m_desktop;
}

SQLiteUserDefaults &AppServices::userDefaults()
{
    if (!m_userDefaults)
        m_userDefaults = std::make_unique<SQLiteUserDefaults>(SQLiteUserDefaults::defaultPath());
    return *m_userDefaults;
}

std::shared_ptr<APIKeyStoring> AppServices::aiAPIKeyStore()
{
    if (!m_aiAPIKeyStore)
        m_aiAPIKeyStore = std::make_shared<DeferredAPIKeyStore>(
            [] { return DesktopModule::load().makeAPIKeyStore(KeychainAPIKeyStore::aiAPIKeyAccount()); });
    return m_aiAPIKeyStore;
}

std::shared_ptr<APIKeyStoring> AppServices::ttsAPIKeyStore()
{
    if (!m_ttsAPIKeyStore)
        m_ttsAPIKeyStore = std::make_shared<DeferredAPIKeyStore>(
            [] { return DesktopModule::load().makeAPIKeyStore(KeychainAPIKeyStore::ttsAPIKeyAccount()); });
    return m_ttsAPIKeyStore;
}

std::shared_ptr<OpenAICompatibleAIClient> AppServices::sharedAIClient()
{
    if (!m_aiClient)
        m_aiClient = std::make_shared<OpenAICompatibleAIClient>(sharedHTTPTransport());
    return m_aiClient;
}

std::shared_ptr<HTTPTransport> AppServices::sharedHTTPTransport()
{
    // One transport, and with it one connection pool, for every lookup, article and
    // pronunciation; the network module is loaded at the first request.
    if (!m_httpTransport)
        m_httpTransport = std::make_shared<DeferredHTTPTransport>([] { return NetworkModule::load().makeTransport(); });
    return m_httpTransport;
}

std::shared_ptr<OpenAICompatibleDailyRecommendationClient> AppServices::sharedDailyRecommendationClient()
{
    if (!m_dailyRecommendationClient)
        m_dailyRecommendationClient = std::make_shared<OpenAICompatibleDailyRecommendationClient>(sharedHTTPTransport());
    return m_dailyRecommendationClient;
}

std::shared_ptr<UserDefaultsDailyRecommendationCache> AppServices::sharedDailyRecommendationCache()
{
    if (!m_dailyRecommendationCache)
        m_dailyRecommendationCache = std::make_shared<UserDefaultsDailyRecommendationCache>(userDefaults());
    return m_dailyRecommendationCache;
}

std::shared_ptr<UserDefaultsLookupResultCache> AppServices::sharedLookupResultCache()
{
    if (!m_lookupResultCache)
        m_lookupResultCache = std::make_shared<UserDefaultsLookupResultCache>(userDefaults());
    return m_lookupResultCache;
}

std::shared_ptr<SystemDictionaryClient> AppServices::sharedSystemDictionary()
{
    if (!m_systemDictionary)
        m_systemDictionary = std::make_shared<SystemDictionaryClient>(
            std::make_shared<const WordNetDatabase>(),
            std::make_shared<const DeferredPronunciationTranscriber>([] { return AudioModule::load().makeTranscriber(); }),
            std::make_shared<const ChineseGlossTable>(), std::make_shared<const StarDictLibrary>());
    return m_systemDictionary;
}

ModelContainer &AppServices::modelContainer()
{
    if (!m_modelContainer)
        m_modelContainer = std::make_unique<ModelContainer>(ModelContainer::defaultPath());
    return *m_modelContainer;
}

UserDefaultsReminderRequestStore AppServices::reminderRequests() { return UserDefaultsReminderRequestStore(userDefaults()); }

AppPreferencesStoring &AppServices::preferences()
{
    if (!m_preferences)
        m_preferences = std::make_unique<AppPreferences>(
            userDefaults(), aiAPIKeyStore(), ttsAPIKeyStore());
    return *m_preferences;
}

LaunchAtLogin &AppServices::launchAtLogin()
{
    if (!m_launchAtLogin)
        m_launchAtLogin = std::make_unique<LaunchAtLogin>(
            userDefaults(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart"),
            QCoreApplication::applicationFilePath());
    return *m_launchAtLogin;
}

AIClient &AppServices::aiClient() { return *sharedAIClient(); }

LookupResultCaching &AppServices::lookupResultCache() { return *sharedLookupResultCache(); }

DailyRecommendationGenerating &AppServices::dailyRecommendationGenerator() { return *sharedDailyRecommendationClient(); }

DailyRecommendationCaching &AppServices::dailyRecommendationCache() { return *sharedDailyRecommendationCache(); }

const SystemDictionaryLookingUp &AppServices::systemDictionary() { return *sharedSystemDictionary(); }

std::optional<QString> AppServices::aiAPIKeyOverride()
{
    // Set but empty still counts: the lookup then fails for want of a key, keyring untouched.
    if (!qEnvironmentVariableIsSet(LookupCommand::apiKeyVariable))
        return std::nullopt;
    QString key = qEnvironmentVariable(LookupCommand::apiKeyVariable);
    AppLogger::registerSecret(key);
    return key;
}

LearningItemStore AppServices::collection() { return LearningItemStore(modelContainer().mainContext(), m_notificationCenter); }

SelectedTextCapturing &AppServices::selectionCaptureService() { return desktop().commandSelectionCapture(); }

ApplicationInstanceConnecting &AppServices::applicationInstance() { return desktop().applicationInstance(); }

PronunciationPlaybackController::Services AppServices::pronunciationServices(std::optional<QString> outputFile)
{
    if (!m_textToSpeechClient) {
        m_textToSpeechClient = std::make_shared<OpenAITextToSpeechClient>(sharedHTTPTransport());
        m_compatibleTextToSpeechClient = std::make_shared<CompatibleTextToSpeechClient>(sharedHTTPTransport());
    }
    auto output = std::make_shared<DeferredPlaybackOutput>(
        [outputFile = std::move(outputFile)] { return AudioModule::load().makePlaybackOutput(outputFile); });
    return {m_textToSpeechClient, m_compatibleTextToSpeechClient, ttsAPIKeyStore(), output, output};
}

QCoro::Task<DesktopCheck::Report> AppServices::checkDesktop(bool includeNetwork, bool hotkeyHeldHere)
{
    return desktop().checkDesktop(includeNetwork, hotkeyHeldHere);
}
