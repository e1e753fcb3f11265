#pragma once

#include "app/AppDelegate.h"
#include "app/cli/CommandServices.h"
#include "foundation/AppNotificationCenter.h"
#include "session/DesktopSession.h"

#include <QPointer>

#include <optional>

#include <memory>

class AppPreferences;
class DBusApplicationInstance;
class FreedesktopNotificationCenter;
class HTTPTransport;
class OpenAICompatibleDailyRecommendationClient;
class UserDefaultsDailyRecommendationCache;
class TextToSpeechClient;
class KeychainAPIKeyStore;
class LaunchAtLogin;
class ModelContainer;
class OpenAICompatibleAIClient;
class PortalGlobalShortcutsBackend;
class PortalRemoteDesktopKeyboard;
class SQLiteUserDefaults;
class SelectionCaptureGate;
class SelectionPasteboard;
class SystemDictionaryClient;
class UserDefaultsLookupResultCache;
class WaylandClipboardKeeper;

// The composition root: the one place that chooses the real implementations, for the tray
// application and the commands alike. main makes one per process, after the Qt application
// object; everything below receives what it needs from here through its constructor.
//
// Preferences and the lookup cache share one connection to the SQLite user defaults under
// the XDG data directory; keys live in the Secret Service keyring; the AI and speech services
// are reached over HTTP through one transport; the system voice is espeak-ng played through
// Qt Multimedia; single words are looked up in WordNet with espeak-ng
// pronunciations; the collection is its SQLite file. The selection, the hotkey and the badge
// go by the desktop session: X11 mechanisms in an X11 session; in a Wayland session the
// selection comes through data-control where the compositor offers it (else through
// XWayland, else not at all, with the reason), and the badge is off.
// Reminders are desktop notifications over D-Bus.
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
    // What the tray application's delegate builds lookups and triggers from.
    AppDelegate::Services delegateServices();
    // The reminders as desktop notifications, kept in the user defaults.
    FreedesktopNotificationCenter &reminderNotificationCenter();

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
    // A clipboard it puts back is handed to a detached server, so that it outlives the command.
    SelectedTextCapturing &selectionCaptureService() override;
    ApplicationInstanceConnecting &applicationInstance() override;
    UserDefaultsReminderRequestStore reminderRequests() override;
    PronunciationPlaybackController::Services pronunciationServices(std::optional<QString> outputFile) override;
    QCoro::Task<DesktopCheck::Report> checkDesktop(bool includeNetwork, bool hotkeyHeldHere) override;

private:
    // The capture of the hotkey, the badge and `lookup --selection`, over `pasteboard`. All of
    // them pass the one gate of the process, so that they never borrow the clipboard at once.
    static std::unique_ptr<SelectedTextCapturing> makeSelectionCapture(std::shared_ptr<SelectionPasteboard> pasteboard,
                                                                       std::shared_ptr<SelectionCaptureGate> gate);

    // The capture of this session: X11's, or Wayland's when the session reads the selection
    // through Wayland, there with the tray application's copy fallback if `copyFallback`
    // (a command would leave with the clipboard it puts back).
    std::unique_ptr<SelectedTextCapturing> makeSessionCapture(bool copyFallback);
    // Wayland without X11 selection access, or with data-control: the selection is read
    // through Wayland (or reported unreadable). Asks the compositor once.
    bool readsSelectionThroughWayland();
    // Logs once which mechanism serves each trigger in this session.
    void logSessionMechanisms();

    SQLiteUserDefaults &userDefaults();
    std::shared_ptr<KeychainAPIKeyStore> aiAPIKeyStore();
    std::shared_ptr<KeychainAPIKeyStore> ttsAPIKeyStore();
    std::shared_ptr<OpenAICompatibleAIClient> sharedAIClient();
    std::shared_ptr<HTTPTransport> sharedHTTPTransport();
    std::shared_ptr<OpenAICompatibleDailyRecommendationClient> sharedDailyRecommendationClient();
    std::shared_ptr<UserDefaultsDailyRecommendationCache> sharedDailyRecommendationCache();
    std::shared_ptr<UserDefaultsLookupResultCache> sharedLookupResultCache();
    std::shared_ptr<SystemDictionaryClient> sharedSystemDictionary();

    const DesktopSession m_session = DesktopSession::current();
    std::optional<bool> m_waylandDataControl;
    // The Wayland copy fallback's keyboard and the clipboard it puts back; made on first use.
    std::shared_ptr<PortalRemoteDesktopKeyboard> m_portalKeyboard;
    std::shared_ptr<std::unique_ptr<WaylandClipboardKeeper>> m_waylandClipboardKeeper;
    // The hotkey's portal binding while the tray application holds one, for the desktop check.
    QPointer<PortalGlobalShortcutsBackend> m_portalShortcuts;
    AppNotificationCenter m_notificationCenter;
    std::unique_ptr<SQLiteUserDefaults> m_userDefaults;
    std::shared_ptr<KeychainAPIKeyStore> m_aiAPIKeyStore;
    std::shared_ptr<KeychainAPIKeyStore> m_ttsAPIKeyStore;
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
    const std::shared_ptr<SelectionCaptureGate> m_selectionCaptureGate;
    std::unique_ptr<SelectedTextCapturing> m_commandSelectionCapture;
    std::unique_ptr<DBusApplicationInstance> m_applicationInstance;
    std::unique_ptr<FreedesktopNotificationCenter> m_reminderNotificationCenter;
};
