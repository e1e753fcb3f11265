#pragma once

#include "app/cli/CommandServices.h"
#include "foundation/AppNotificationCenter.h"

#include <memory>
#include <optional>

class APIKeyStoring;
class AppPreferences;
class DesktopServicing;
class HTTPTransport;
class OpenAICompatibleDailyRecommendationClient;
class UserDefaultsDailyRecommendationCache;
class TextToSpeechClient;
class LaunchAtLogin;
class ModelContainer;
class OpenAICompatibleAIClient;
class SQLiteUserDefaults;
class SystemDictionaryClient;
class UserDefaultsLookupResultCache;

// The composition root: the one place that chooses the real implementations, for the tray
// application and the commands alike. main makes one per process, after the Qt application
// object; everything below receives what it needs from here through its constructor.
//
// Preferences and the lookup cache share one connection to the SQLite user defaults under
// the XDG data directory; the AI and speech services are reached over HTTP through one
// transport; single words are looked up in WordNet; the collection is its SQLite file.
// The keyring, the selection, notifications and the running instance come from the desktop
// module, sound from the audio module and HTTP from the network module, each loaded when first
// needed.
// Each collaborator is made on first use, so a command that needs neither the keyring, the
// network nor the dictionary never opens them.
class AppServices : public CommandServices {
public:
    AppServices();
    ~AppServices() override;
    AppServices(const AppServices &) = delete;
    AppServices &operator=(const AppServices &) = delete;

    AppNotificationCenter &notificationCenter() { return m_notificationCenter; }
    // The collection database, opened on first use. Throws ModelStoreError.
    ModelContainer &modelContainer();
    // The desktop's side of these services; loads the desktop module on first use.
    DesktopServicing &desktop();

    SQLiteUserDefaults &userDefaults();
    std::shared_ptr<APIKeyStoring> aiAPIKeyStore();
    std::shared_ptr<APIKeyStoring> ttsAPIKeyStore();
    std::shared_ptr<OpenAICompatibleAIClient> sharedAIClient();
    std::shared_ptr<HTTPTransport> sharedHTTPTransport();
    std::shared_ptr<OpenAICompatibleDailyRecommendationClient> sharedDailyRecommendationClient();
    std::shared_ptr<UserDefaultsDailyRecommendationCache> sharedDailyRecommendationCache();
    std::shared_ptr<UserDefaultsLookupResultCache> sharedLookupResultCache();
    std::shared_ptr<SystemDictionaryClient> sharedSystemDictionary();

    AppPreferencesStoring &preferences() override;
    // The entry under $XDG_CONFIG_HOME/autostart that starts this program.
    LaunchAtLogin &launchAtLogin() override;
    AIClient &aiClient() override;
    LookupResultCaching &lookupResultCache() override;
    const SystemDictionaryLookingUp &systemDictionary() override;
    std::optional<QString> aiAPIKeyOverride() override;
    DailyRecommendationGenerating &dailyRecommendationGenerator() override;
    DailyRecommendationCaching &dailyRecommendationCache() override;
    LearningItemStore collection() override;
    SelectedTextCapturing &selectionCaptureService() override;
    ApplicationInstanceConnecting &applicationInstance() override;
    UserDefaultsReminderRequestStore reminderRequests() override;
    PronunciationPlaybackController::Services pronunciationServices(std::optional<QString> outputFile) override;
    QCoro::Task<DesktopCheck::Report> checkDesktop(bool includeNetwork, bool hotkeyHeldHere) override;

private:
    AppNotificationCenter m_notificationCenter;
    std::unique_ptr<SQLiteUserDefaults> m_userDefaults;
    std::shared_ptr<APIKeyStoring> m_aiAPIKeyStore;
    std::shared_ptr<APIKeyStoring> m_ttsAPIKeyStore;
    std::shared_ptr<TextToSpeechClient> m_textToSpeechClient;
    std::shared_ptr<TextToSpeechClient> m_compatibleTextToSpeechClient;
    std::unique_ptr<AppPreferences> m_preferences;
    std::unique_ptr<LaunchAtLogin> m_launchAtLogin;
    std::shared_ptr<OpenAICompatibleAIClient> m_aiClient;
    std::shared_ptr<HTTPTransport> m_httpTransport;
    std::shared_ptr<OpenAICompatibleDailyRecommendationClient> m_dailyRecommendationClient;
    std::shared_ptr<UserDefaultsDailyRecommendationCache> m_dailyRecommendationCache;
    std::shared_ptr<UserDefaultsLookupResultCache> m_lookupResultCache;
    std::shared_ptr<SystemDictionaryClient> m_systemDictionary;
    std::unique_ptr<ModelContainer> m_modelContainer;
    // Last, so that it goes first: its collaborators hold on to the ones above.
    std::unique_ptr<DesktopServicing> m_desktop;
};
