#pragma once

#include "app/cli/CommandServices.h"

#include <memory>

class AppPreferences;
class DBusApplicationInstance;
class ModelContainer;
class OpenAICompatibleAIClient;
class SQLiteUserDefaults;
class SelectedTextCapturing;
class SystemDictionaryClient;
class UserDefaultsLookupResultCache;

// The real collaborators: preferences and the lookup cache in the SQLite user defaults
// under the XDG data directory, keys in the Secret Service keyring, the AI service over
// HTTP, WordNet with espeak-ng pronunciations, the collection in its SQLite file. The cache
// and dictionary are the real ones even under the test host: a command asked for them by
// name. The collection is not: a test host must never touch the learner's saved items.
class SystemCommandServices : public CommandServices {
public:
    SystemCommandServices();
    ~SystemCommandServices() override;

    AppPreferencesStoring &preferences() override;
    AIClient &aiClient() override;
    LookupResultCaching &lookupResultCache() override;
    const SystemDictionaryLookingUp &systemDictionary() override;
    std::optional<QString> aiAPIKeyOverride() override;
    ModelContext &collection() override;
    // The hotkey's capture, over the X11 clipboard; a clipboard it puts back is handed to a
    // detached server, so that it outlives the command.
    SelectedTextCapturing &selectionCaptureService() override;
    ApplicationInstanceConnecting &applicationInstance() override;

private:
    SQLiteUserDefaults &userDefaults();

    std::unique_ptr<SQLiteUserDefaults> m_userDefaults;
    std::unique_ptr<AppPreferences> m_preferences;
    std::unique_ptr<OpenAICompatibleAIClient> m_aiClient;
    std::unique_ptr<UserDefaultsLookupResultCache> m_lookupResultCache;
    std::unique_ptr<SystemDictionaryClient> m_systemDictionary;
    std::unique_ptr<ModelContainer> m_modelContainer;
    std::unique_ptr<SelectedTextCapturing> m_selectionCaptureService;
    std::unique_ptr<DBusApplicationInstance> m_applicationInstance;
};
