#include "app/AppDelegate.h"

#include "collection/LearningItemStore.h"
#include "foundation/AppEnvironment.h"
#include "foundation/AppNotificationCenter.h"
#include "logging/AppLogger.h"
#include "preferences/AppPreferencesStoring.h"
#include "reminders/ReminderService.h"
#include "viewmodels/lookup/LookupViewModel.h"
#include "views/collection/CollectionWindow.h"
#include "views/collection/CollectionWindowController.h"
#include "views/lookup/LookupPanelView.h"
#include "views/review/ReviewWindow.h"
#include "views/review/ReviewWindowController.h"
#include "viewmodels/daily/DailyRecommendationViewModel.h"
#include "views/daily/DailyRecommendationWindow.h"
#include "views/daily/DailyRecommendationWindowController.h"
#include "views/common/SymbolButton.h"

#include <QGuiApplication>
#include <QPointer>

#include <QCoroTimer>

namespace {

// How long a capture waits for the hotkey (1 s) or a desktop shortcut (1.5 s) to be let go,
// and how often it looks.
constexpr int kHotkeyReleasePolls = 100;
constexpr int kShortcutReleasePolls = 150;
constexpr std::chrono::milliseconds kHotkeyReleasePollInterval{10};

QString stateName(LookupViewModel::State::Kind kind)
{
    using Kind = LookupViewModel::State::Kind;
    switch (kind) {
    case Kind::idle:
        return QStringLiteral("idle");
    case Kind::capturingText:
        return QStringLiteral("capturingText");
    case Kind::loadingExplanation:
        return QStringLiteral("loadingExplanation");
    case Kind::loadingDetailedExplanation:
        return QStringLiteral("loadingDetailedExplanation");
    case Kind::readyForAILookup:
        return QStringLiteral("readyForAILookup");
    case Kind::loaded:
        return QStringLiteral("loaded");
    case Kind::failed:
        return QStringLiteral("failed");
    }
    return {};
}

// The store's operations as the panel's save actions. The store works synchronously; its
// failures reach the save-state controller as exceptions of the returned task.
QCoro::Task<void> saveItem(std::shared_ptr<LearningItemStore> store, LookupResult result)
{
    store->save(result);
    co_return;
}

QCoro::Task<void> removeItem(std::shared_ptr<LearningItemStore> store, LookupResult result)
{
    store->remove(result);
    co_return;
}

QCoro::Task<bool> containsItem(std::shared_ptr<LearningItemStore> store, LookupResult result)
{
    co_return store->contains(result);
}

// Runs one reminder change to its end, keeping the service alive meanwhile; a failure is
// only logged.
QCoro::Task<void> configureReminder(std::shared_ptr<ReminderService> service,
                                    std::function<QCoro::Task<void>(ReminderService &)> change, const char *context)
{
    try {
        co_await change(*service);
    } catch (const std::exception &error) {
        AppLogger::error(context, error);
    }
}

} // namespace

AppDelegate::AppDelegate(AppPreferencesStoring &preferences, ModelContext &collection, Services services,
                         AppNotificationCenter &notificationCenter, QObject *parent)
    : QObject(parent),
      m_preferencesStore(preferences),
      m_collection(collection),
      m_services(std::move(services)),
      m_notificationCenter(notificationCenter),
      m_hotkeyController(
          // Presses arrive from the event loop, never from inside the native event filter.
          [self = QPointer<AppDelegate>(this)] {
              if (self)
                  self->showLookupPanelFromCurrentSelection();
          },
          m_services.makeHotkeyBackend),
      m_selectionBadgeController(
          [self = QPointer<AppDelegate>(this)](const QString &text) {
              if (self)
                  self->showLookupPanel(std::nullopt, nullptr, LookupPanelStartAction::lookupCapturedText(text));
          },
          m_services.selectionBadge)
{
}

AppDelegate::~AppDelegate() { applicationWillTerminate(); }

void AppDelegate::applicationDidFinishLaunching()
{
    // A tray application: closing its last window must not end it. The tray icon itself has
    // no window, so nothing shows in the taskbar until a panel opens.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    configureOptionDHotkey(m_preferencesStore.optionDHotkeyEnabled());
    configureSelectionBadge(m_preferencesStore.selectionBadgeEnabled());
    m_lookupPanelObserver = observe(AppNotification::openLookupPanel,
                                    [this] { showLookupPanel(std::nullopt, nullptr, LookupPanelStartAction::none()); });
    m_collectionObserver = observe(AppNotification::openCollection, [this] { showCollection(); });
    m_reviewObserver = observe(AppNotification::openReview, [this] { showReview(); });
    m_dailyRecommendationObserver =
        observe(AppNotification::openDailyRecommendation, [this] { showDailyRecommendation(); });
    m_dailyRecommendationPreferencesObserver =
        observe(AppNotification::dailyRecommendationPreferencesChanged, [this] { scheduleDailyRecommendation(); });
    m_lookupTriggerPreferencesObserver =
        observe(AppNotification::lookupTriggerPreferencesChanged, [this] { configureLookupTriggers(); });
    if (!AppEnvironment::isRunningTests()) {
        scheduleReviewReminder(m_preferencesStore.reminderEnabled());
        scheduleDailyRecommendation();
    }
}

void AppDelegate::applicationWillTerminate()
{
    for (QMetaObject::Connection *observer :
         {&m_lookupPanelObserver, &m_collectionObserver, &m_reviewObserver, &m_dailyRecommendationObserver,
          &m_dailyRecommendationPreferencesObserver, &m_lookupTriggerPreferencesObserver}) {
        QObject::disconnect(*observer);
        *observer = {};
    }
    m_hotkeyController.configure(false);
    m_selectionBadgeController.stopSelectionBadgeMonitor();
    closeCurrentLookupPanel();
    m_collectionWindowController.reset();
    m_reviewWindowController.reset();
    m_dailyRecommendationWindowController.reset();
}

QMetaObject::Connection AppDelegate::observe(AppNotification name, std::function<void()> handler)
{
    // The delegate is the connection's context: once it is gone nothing is called.
    return connect(&m_notificationCenter, &AppNotificationCenter::posted, this,
                   [name, handler = std::move(handler)](AppNotification posted) {
                       if (posted == name)
                           handler();
                   });
}

void AppDelegate::configureLookupTriggers()
{
    configureOptionDHotkey(m_preferencesStore.optionDHotkeyEnabled());
    configureSelectionBadge(m_preferencesStore.selectionBadgeEnabled());
}

void AppDelegate::configureOptionDHotkey(bool enabled)
{
    m_hotkeyController.configure(enabled, GlobalShortcut::parse(m_preferencesStore.globalShortcut()));
}

std::optional<QString> AppDelegate::applyGlobalShortcut(const QString &shortcut)
{
    const std::optional<GlobalShortcut> parsed = GlobalShortcut::parse(shortcut);
    if (!parsed)
        return QStringLiteral("快捷键无效：%1").arg(shortcut);
    if (!m_hotkeyController.changeShortcut(*parsed))
        return QStringLiteral("快捷键已被其他程序占用");
    return std::nullopt;
}

void AppDelegate::configureSelectionBadge(bool enabled)
{
    m_selectionBadgeController.configure(enabled);
}

void AppDelegate::scheduleReviewReminder(bool enabled)
{
    if (!m_services.makeReminderService)
        return;
    configureReminder(
        m_services.makeReminderService(),
        [enabled](ReminderService &service) { return service.configureDailyReminder(enabled, 20, 30); },
        "Failed to schedule daily review reminder");
}

void AppDelegate::scheduleDailyRecommendation()
{
    if (!m_services.makeReminderService)
        return;
    const bool enabled = m_preferencesStore.dailyRecommendationEnabled();
    const RecommendationFrequency frequency =
        recommendationFrequencyFromPreference(m_preferencesStore.dailyRecommendationFrequency());
    const int hour = m_preferencesStore.dailyRecommendationHour();
    const int minute = m_preferencesStore.dailyRecommendationMinute();
    configureReminder(
        m_services.makeReminderService(),
        [=](ReminderService &service) {
            return service.configureRecommendationReminder(enabled, frequency, hour, minute);
        },
        "Failed to schedule daily recommendation");
}

void AppDelegate::openNotification(const QVariantMap &userInfo)
{
    const QVariant route = userInfo.value(ReminderService::routeKey());
    if (route.typeId() == QMetaType::QString && route.toString() == ReminderService::dailyRecommendationRoute())
        m_notificationCenter.post(AppNotification::openDailyRecommendation);
}

std::shared_ptr<LookupViewModel> AppDelegate::makeLookupViewModel() const
{
    return std::make_shared<LookupViewModel>(m_services.makeSelectionCaptureService(), m_services.aiClient,
                                             m_services.aiAPIKeyStore, m_services.resultCache,
                                             m_services.systemDictionary);
}

QCoro::Task<void> AppDelegate::showLookupPanelFromCurrentSelection(SelectionTrigger trigger)
{
    const QPointer<AppDelegate> self(this);
    const quint64 generation = ++m_selectionLookupGeneration;
    const UserSettings settings = m_preferencesStore.currentUserSettingsWithoutAPIKey();
    const std::shared_ptr<LookupViewModel> viewModel = makeLookupViewModel();
    const std::shared_ptr<SelectedTextCapturing> capture = m_services.makeSelectionCaptureService();
    // The hotkey's grab holds the keyboard until D goes up: a copy keystroke posted before
    // then would come back to us instead of reaching the application with the selection. A
    // desktop's shortcut grabs its key alike, and its modifiers would join the keystroke.
    const bool fromHotkey = trigger == SelectionTrigger::hotkey;
    std::function<bool()> isHeld = m_services.isAnyKeyHeld;
    if (fromHotkey) {
        isHeld = m_services.isHotkeyHeld ? [held = m_services.isHotkeyHeld, shortcut = m_hotkeyController.shortcut()] {
            return held(shortcut);
        } : std::function<bool()>();
    }
    if (isHeld) {
        const int polls = fromHotkey ? kHotkeyReleasePolls : kShortcutReleasePolls;
        for (int poll = 0; poll < polls && isHeld(); ++poll)
            co_await QCoro::sleepFor(kHotkeyReleasePollInterval);
        if (!self)
            co_return;
    }
    QString text;
    std::exception_ptr failure;
    try {
        text = co_await capture->captureSelectedTextUsingClipboardFallback();
    } catch (...) {
        failure = std::current_exception();
    }
    // A newer press has taken over, or the program is shutting down.
    if (!self || generation != m_selectionLookupGeneration)
        co_return;
    if (!failure) {
        showLookupPanel(settings, viewModel, LookupPanelStartAction::lookupCapturedText(text));
        co_return;
    }
    viewModel->showFailure(LookupViewModel::localizedMessage(failure));
    showLookupPanel(settings, viewModel, LookupPanelStartAction::none());
}

void AppDelegate::showLookupPanel(std::optional<UserSettings> settings, std::shared_ptr<LookupViewModel> viewModel,
                                  LookupPanelStartAction startAction)
{
    closeCurrentLookupPanel();
    if (!settings)
        settings = m_preferencesStore.currentUserSettingsWithoutAPIKey();
    if (!viewModel)
        viewModel = makeLookupViewModel();
    auto store = std::make_shared<LearningItemStore>(m_collection, m_notificationCenter);
    auto *view = new LookupPanelView(
        std::move(viewModel), std::move(*settings), std::move(startAction),
        [store](const LookupResult &result) { return saveItem(store, result); },
        [store](const LookupResult &result) { return removeItem(store, result); },
        [store](const LookupResult &result) { return containsItem(store, result); },
        m_services.makePronunciationServices ? m_services.makePronunciationServices()
                                             : PronunciationPlaybackController::Services());
    auto *panel = new LookupPanelWindow(view);
    if (m_services.workspacePinning)
        panel->setWorkspacePinning(m_services.workspacePinning);
    m_lookupPanelPresenter.present(panel);
}

void AppDelegate::closeCurrentLookupPanel() { m_lookupPanelPresenter.closeCurrentPanel(); }

QJsonObject AppDelegate::lookupPanelStatus() const
{
    LookupPanelWindow *panel = lookupPanel();
    if (!panel)
        return QJsonObject{{QStringLiteral("open"), false}};
    const LookupViewModel::State &state = panel->content()->viewModel().state();
    QString selectedText = state.selectedText().value_or(QString());
    QString explanation;
    if (state.result()) {
        selectedText = state.result()->selectedText;
        explanation = state.result()->contextualMeaning;
    } else if (state.fastResult()) {
        selectedText = state.fastResult()->selectedText;
        explanation = state.fastResult()->primaryMeaning;
    }
    QJsonObject status{
        {QStringLiteral("open"), true},
        {QStringLiteral("windowId"), QString::number(panel->winId())},
        {QStringLiteral("visible"), panel->isVisible()},
        {QStringLiteral("active"), panel->isActiveWindow()},
        {QStringLiteral("pinned"), panel->isPinned()},
        {QStringLiteral("state"), stateName(state.kind())},
        {QStringLiteral("selectedText"), selectedText},
        {QStringLiteral("message"), state.message()},
        {QStringLiteral("explanation"), explanation},
    };
    if (SymbolButton *pin = panel->pinButton()) {
        const QPoint centre = pin->mapToGlobal(pin->rect().center());
        status.insert(QStringLiteral("pinButton"), QJsonObject{{QStringLiteral("x"), centre.x()}, {QStringLiteral("y"), centre.y()}});
    }
    return status;
}

void AppDelegate::showCollection()
{
    if (!m_collectionWindowController)
        m_collectionWindowController = std::make_unique<CollectionWindowController>(m_collection, m_notificationCenter);
    m_collectionWindowController->show();
}

void AppDelegate::showReview()
{
    if (!m_reviewWindowController)
        m_reviewWindowController = std::make_unique<ReviewWindowController>(m_collection, m_notificationCenter);
    m_reviewWindowController->show();
}

void AppDelegate::showDailyRecommendation()
{
    if (!m_dailyRecommendationWindowController) {
        m_dailyRecommendationWindowController = std::make_unique<DailyRecommendationWindowController>([this] {
            const QPointer<AppDelegate> self(this);
            auto viewModel = std::make_unique<DailyRecommendationViewModel>(DailyRecommendationViewModel::Collaborators{
                m_preferencesStore, m_services.dailyRecommendationGenerator, m_services.dailyRecommendationCache});
            return new DailyRecommendationWindow(
                std::move(viewModel), [self] { return self && self->m_preferencesStore.selectionBadgeEnabled(); },
                [self](const QString &text) {
                    if (self)
                        self->showLookupPanel(std::nullopt, nullptr, LookupPanelStartAction::lookupCapturedText(text));
                });
        });
    }
    m_dailyRecommendationWindowController->show();
}
