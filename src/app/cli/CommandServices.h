#pragma once

#include "collection/LearningItemStore.h"
#include "diagnostics/DesktopCheck.h"
#include "reminders/UserDefaultsReminderRequestStore.h"
#include "viewmodels/pronunciation/PronunciationPlaybackController.h"

#include <QString>

#include <optional>

class AIClient;
class ApplicationInstanceConnecting;
class AppPreferencesStoring;
class DailyRecommendationCaching;
class DailyRecommendationGenerating;
class LaunchAtLogin;
class LookupResultCaching;
class SelectedTextCapturing;
class SystemDictionaryLookingUp;

// What the commands work with. Implementations make each collaborator on first use, so a
// command that does not need the keyring, the network or the dictionary never opens it.
class CommandServices {
public:
    virtual ~CommandServices() = default;

    virtual AppPreferencesStoring &preferences() = 0;
    // The learner's autostart entry, over the same user defaults.
    virtual LaunchAtLogin &launchAtLogin() = 0;
    virtual AIClient &aiClient() = 0;
    virtual LookupResultCaching &lookupResultCache() = 0;
    virtual const SystemDictionaryLookingUp &systemDictionary() = 0;
    // An AI key given outside the keyring (the environment), used instead of the stored one.
    virtual std::optional<QString> aiAPIKeyOverride() = 0;
    // The daily article's writer and its cache over the same user defaults.
    virtual DailyRecommendationGenerating &dailyRecommendationGenerator() = 0;
    virtual DailyRecommendationCaching &dailyRecommendationCache() = 0;
    // A store over the collection database, opened on first use. Throws ModelStoreError
    // when the database cannot be opened.
    virtual LearningItemStore collection() = 0;
    // Reads the selection of the application in front, made on first use. Throws AppError
    // when there is no display to read it from.
    virtual SelectedTextCapturing &selectionCaptureService() = 0;
    // The tray application running in this session.
    virtual ApplicationInstanceConnecting &applicationInstance() = 0;
    // The pending reminders, which the tray application shows.
    virtual UserDefaultsReminderRequestStore reminderRequests() = 0;
    // What `speak` pronounces with: the desktop's audio output, or with `outputFile` that file
    // instead (a WAV of the system voice, the service's bytes as they came).
    virtual PronunciationPlaybackController::Services pronunciationServices(std::optional<QString> outputFile) = 0;
    // What works on this desktop; with `includeNetwork` the AI endpoint is asked too.
    // `hotkeyHeldHere`: this process holds the hotkey itself.
    virtual QCoro::Task<DesktopCheck::Report> checkDesktop(bool includeNetwork, bool hotkeyHeldHere) = 0;
};
