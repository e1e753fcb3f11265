#include "app/cli/SystemCommandServices.h"

#include "app/cli/DBusApplicationInstance.h"
#include "app/cli/LookupCommand.h"

#include "platform/speech/EspeakNgPronunciationTranscriber.h"
#include "platform/keyring/KeychainAPIKeyStore.h"
#include "platform/x11/X11ClipboardServerProcess.h"
#include "platform/x11/X11PermissionService.h"
#include "platform/x11/X11PrimarySelectionReader.h"
#include "platform/x11/X11SelectionPasteboard.h"
#include "platform/x11/XTestCopyEventPoster.h"
#include "preferences/AppPreferences.h"
#include "capture/KeptSelectionPasteboard.h"
#include "ai/OpenAICompatibleAIClient.h"
#include "network/QNetworkAccessManagerHTTPTransport.h"
#include "capture/QTimerSelectionCaptureClock.h"
#include "capture/SelectionCaptureService.h"
#include "preferences/SQLiteUserDefaults.h"
#include "dictionary/SystemDictionaryClient.h"
#include "lookup/UserDefaultsLookupResultCache.h"
#include "dictionary/WordNetDatabase.h"
#include "storage/ModelContainer.h"
#include "foundation/AppError.h"

#include <QCoreApplication>
#include <QGuiApplication>

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

SelectedTextCapturing &SystemCommandServices::selectionCaptureService()
{
    if (!m_selectionCaptureService) {
        // Qt reaches the X11 clipboard only through its xcb platform, which main starts for
        // the commands that read the selection.
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            throw AppError::selectedTextUnavailable();
        // The command exits right after the capture, and the clipboard it put back would go
        // with it: a detached copy of this program keeps serving it.
        auto pasteboard = std::make_shared<KeptSelectionPasteboard>(
            std::make_shared<X11SelectionPasteboard>(), []() -> std::unique_ptr<SelectionPasteboardKeeping> {
                return X11ClipboardServerProcess::start(QCoreApplication::applicationFilePath());
            });
        m_selectionCaptureService = std::make_unique<SelectionCaptureService>(
            std::move(pasteboard), std::make_shared<XTestCopyEventPoster>(),
            std::make_shared<QTimerSelectionCaptureClock>(), std::make_shared<X11PrimarySelectionReader>(),
            [] { return X11PermissionService().isAccessibilityTrusted(); }, 500'000'000, 20'000'000);
    }
    return *m_selectionCaptureService;
}

ApplicationInstanceConnecting &SystemCommandServices::applicationInstance()
{
    if (!m_applicationInstance)
        m_applicationInstance = std::make_unique<DBusApplicationInstance>();
    return *m_applicationInstance;
}
