#pragma once

#include "preferences/UserSettings.h"
#include "hotkey/HotkeyController.h"
#include "badge/SelectionBadgeController.h"
#include "foundation/AppNotification.h"
#include "viewmodels/lookup/LookupPanelStartAction.h"
#include "viewmodels/pronunciation/PronunciationPlaybackController.h"
#include "views/lookup/LookupPanelPresenter.h"
#include "views/lookup/LookupPanelWindow.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QMetaObject>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class AIClient;
class DailyRecommendationCaching;
class DailyRecommendationGenerating;
class DailyRecommendationWindowController;
class CollectionWindowController;
class ReviewWindowController;
class ReminderService;
class APIKeyStoring;
class AppNotificationCenter;
class AppPreferencesStoring;
class LookupResultCaching;
class LookupViewModel;
class ModelContext;
class SelectedTextCapturing;
class SystemDictionaryLookingUp;

// Owns the windows of the tray application and turns its triggers (the hotkey, the selection
// badge, menu entries, requests from other processes) into windows. There is never more than
// one lookup panel. Lives as long as the program. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    // The mechanisms the delegate builds lookups and triggers from: the composition root
    // (AppServices) passes the real ones, tests pass fakes. None may be empty but
    // isHotkeyHeld, isAnyKeyHeld, workspacePinning and makePronunciationServices.
    struct Services {
        // A new capture service for each lookup.
        std::function<std::shared_ptr<SelectedTextCapturing>()> makeSelectionCaptureService;
        std::shared_ptr<AIClient> aiClient;
        std::shared_ptr<APIKeyStoring> aiAPIKeyStore;
        std::shared_ptr<LookupResultCaching> resultCache;
        std::shared_ptr<SystemDictionaryLookingUp> systemDictionary;
        HotkeyController::BackendFactory makeHotkeyBackend;
        // Whether the key of the hotkey's combination is still down; null: never.
        std::function<bool(const GlobalShortcut &)> isHotkeyHeld;
        // Whether any key is down (a desktop shortcut's, for `rarozezev trigger`); null: never.
        std::function<bool()> isAnyKeyHeld;
        LookupPanelWindow::WorkspacePinning workspacePinning;
        // The mouse watch, badge window and capture of the selection badge.
        SelectionBadgeController::Environment selectionBadge;
        // Writes and keeps the daily articles.
        std::shared_ptr<DailyRecommendationGenerating> dailyRecommendationGenerator;
        std::shared_ptr<DailyRecommendationCaching> dailyRecommendationCache;
        // What each panel pronounces with; null: panels without the pronounce button.
        std::function<PronunciationPlaybackController::Services()> makePronunciationServices;
        // A reminder service over the desktop's notifications, each time it is called; null:
        // no reminders.
        std::function<std::shared_ptr<ReminderService>()> makeReminderService;
    };

    // The preferences, the collection and the centre are the application's; they outlive the
    // delegate.
    AppDelegate(AppPreferencesStoring &preferences, ModelContext &collection, Services services,
                AppNotificationCenter &notificationCenter, QObject *parent = nullptr);
    ~AppDelegate() override;

    // Start-up once the event loop is about to run: the hotkey, then the subscriptions,
    // then (outside the test executables) the reminders.
    void applicationDidFinishLaunching();
    // Undoes the start-up: subscriptions go, the hotkey is released, the panel closes.
    void applicationWillTerminate();

    // Opens a new lookup panel in place of the current one. No settings: a fresh snapshot
    // of the preferences; no view model: a new one over the delegate's services.
    void showLookupPanel(std::optional<UserSettings> settings, std::shared_ptr<LookupViewModel> viewModel,
                         LookupPanelStartAction startAction);
    // What asked for the selection: our hotkey, or a shortcut of the desktop's own running
    // `rarozezev trigger`.
    enum class SelectionTrigger { hotkey, desktopShortcut };
    // The hotkey path: once the trigger's keys are let go, captures the selection, then opens
    // the panel looking it up, or showing why the capture failed.
    QCoro::Task<void> showLookupPanelFromCurrentSelection(SelectionTrigger trigger = SelectionTrigger::hotkey);
    void closeCurrentLookupPanel();

    void showCollection();
    void showReview();
    // The daily article window; a clicked badge in it opens a lookup panel for the text.
    void showDailyRecommendation();

    // Registers the hotkey (the preference "globalShortcut", Alt+D by default), or releases
    // it. A failed registration is logged; the program goes on.
    void configureOptionDHotkey(bool enabled);
    // Moves the live hotkey to `shortcut` before the preference is written: the reason when
    // another program holds that combination (the previous one then stays active).
    std::optional<QString> applyGlobalShortcut(const QString &shortcut);
    // Watches mouse selections for the badge, or stops.
    void configureSelectionBadge(bool enabled);
    // Switches the review reminder (20:30) on or off; a failure is logged, never shown.
    void scheduleReviewReminder(bool enabled);
    // Configures the article reminder from the preferences as they are now; a failure is
    // logged, never shown.
    void scheduleDailyRecommendation();
    // A click on a delivered reminder: an article reminder opens the daily article window;
    // anything else is ignored.
    void openNotification(const QVariantMap &userInfo);
    bool isSelectionBadgeMonitoring() const { return m_selectionBadgeController.isMonitoring(); }
    bool isHotkeyRegistered() const { return m_hotkeyController.isRegistered(); }

    CollectionWindowController *collectionWindows() const { return m_collectionWindowController.get(); }
    ReviewWindowController *reviewWindows() const { return m_reviewWindowController.get(); }
    DailyRecommendationWindowController *dailyRecommendationWindows() const
    {
        return m_dailyRecommendationWindowController.get();
    }
    LookupPanelWindow *lookupPanel() const { return m_lookupPanelPresenter.currentPanel(); }
    bool lookupPanelPinned() const { return m_lookupPanelPresenter.isCurrentPanelPinned(); }
    // The panel as scripts see it: whether one is open, pinned, its lookup's state and text,
    // the explanation shown, and where its pin button is on the screen.
    QJsonObject lookupPanelStatus() const;

private:
    std::shared_ptr<LookupViewModel> makeLookupViewModel() const;
    // Reconfigures the lookup triggers from the preferences as they are now.
    void configureLookupTriggers();
    QMetaObject::Connection observe(AppNotification name, std::function<void()> handler);

    AppPreferencesStoring &m_preferencesStore;
    ModelContext &m_collection;
    Services m_services;
    AppNotificationCenter &m_notificationCenter;
    HotkeyController m_hotkeyController;
    SelectionBadgeController m_selectionBadgeController;
    LookupPanelPresenter m_lookupPanelPresenter;
    // Made on first use; each keeps at most one window of its kind.
    std::unique_ptr<CollectionWindowController> m_collectionWindowController;
    std::unique_ptr<ReviewWindowController> m_reviewWindowController;
    std::unique_ptr<DailyRecommendationWindowController> m_dailyRecommendationWindowController;
    // Orders overlapping hotkey presses: only the newest capture opens a panel.
    quint64 m_selectionLookupGeneration = 0;

    QMetaObject::Connection m_lookupPanelObserver;
    QMetaObject::Connection m_collectionObserver;
    QMetaObject::Connection m_reviewObserver;
    QMetaObject::Connection m_dailyRecommendationObserver;
    QMetaObject::Connection m_dailyRecommendationPreferencesObserver;
    QMetaObject::Connection m_lookupTriggerPreferencesObserver;
};
