#include "app/RarozezevApp.h"

#include "BuildInfo.h"
#include "app/AppServices.h"
#include "app/desktop/DesktopServices.h"
#include "app/OpenTarget.h"
#include "app/cli/InterruptSignal.h"
#include "foundation/AppError.h"
#include "logging/AppLogger.h"
#include "platform/dbus/DBusSingleInstanceService.h"
#include "platform/dbus/FreedesktopNotificationCenter.h"
#include "platform/dbus/FileManagerReveal.h"
#include "preferences/AppPreferences.h"
#include "preferences/LaunchAtLogin.h"
#include "preferences/PreferenceChangeRoute.h"
#include "reminders/ReminderService.h"
#include "viewmodels/settings/SettingsViewModel.h"
#include "views/common/WindowPlacement.h"
#include "views/settings/SettingsWindow.h"
#include "storage/ModelContainer.h"

#include <QApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTimer>

#include <QCoroTask>

#include <cstdio>

namespace {

// Hands a plain second start over to the instance already running: it opens the lookup
// panel, which is what the learner most likely started the program for.
QCoro::Task<void> handOver(int &exitCode)
{
    try {
        co_await DBusSingleInstanceService::requestOpen(rawValue(OpenTarget::lookup), std::chrono::seconds(10));
        exitCode = 0;
    } catch (const DBusSingleInstanceService::RequestError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        exitCode = 1;
    }
    QCoreApplication::exit(exitCode);
}

// Only the installed program starts itself at login: a build folder may be gone tomorrow.
bool runsInstalledProgram()
{
    const QString installed = QDir(QStringLiteral(RAROZEZEV_INSTALL_BINDIR)).canonicalPath();
    return !installed.isEmpty() && QDir(QCoreApplication::applicationDirPath()).canonicalPath() == installed;
}

QString describe(const std::exception &error)
{
    if (const auto *appError = dynamic_cast<const AppError *>(&error))
        return appError->errorDescription();
    return QString::fromUtf8(error.what());
}

} // namespace

int RarozezevApp::run(AppServices &services, DesktopServices &desktop)
{
    QCoreApplication &application = *QCoreApplication::instance();
    RarozezevApp *running = nullptr;
    DBusSingleInstanceService singleInstance(
        [&running](const QString &what) -> std::optional<QString> {
            if (!running)
                return QStringLiteral("Rarozezev 正在启动，请稍后再试。");
            return running->open(what);
        },
        [&running] {
            const QJsonObject status = running ? running->appDelegate().lookupPanelStatus() : QJsonObject();
            return QString::fromUtf8(QJsonDocument(status).toJson(QJsonDocument::Compact));
        });
    singleInstance.setPreferenceHandler([&running](const QString &key) -> std::optional<QString> {
        if (!running)
            return std::nullopt; // read at start-up anyway
        return running->preferenceChanged(key);
    });
    switch (singleInstance.claim()) {
    case DBusSingleInstanceService::ClaimResult::claimed:
        break;
    case DBusSingleInstanceService::ClaimResult::alreadyRunning: {
        int exitCode = 1;
        std::optional<QCoro::Task<void>> request;
        QTimer::singleShot(0, &application, [&] { request.emplace(handOver(exitCode)); });
        application.exec();
        return exitCode;
    }
    case DBusSingleInstanceService::ClaimResult::busUnavailable:
        AppLogger::error([] { return QStringLiteral("No D-Bus session bus; cannot keep to one instance per session."); });
        break;
    }

    ModelContainer *container = nullptr;
    try {
        container = &services.modelContainer();
    } catch (const std::exception &error) {
        const QString message = containerFailurePrefix() + describe(error);
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        AppLogger::error([&] { return QStringLiteral("Cannot open the collection database: ") + QString::fromUtf8(error.what()); });
        QMessageBox::critical(nullptr, MenuBarRoot::title(), message);
        return 1;
    }

    if (runsInstalledProgram())
        services.launchAtLogin().enableUnlessDecided();

    RarozezevApp app(services, desktop, container->mainContext());
    running = &app;
    singleInstance.setSelectionLookupHandler([&app]() -> std::optional<QString> {
        app.appDelegate().showLookupPanelFromCurrentSelection(AppDelegate::SelectionTrigger::desktopShortcut);
        return std::nullopt;
    });
    // SIGTERM or SIGINT (a session ending, Ctrl+C in a terminal) quits through the event
    // loop, so the delegate still takes its triggers down.
    CancellationToken termination;
    InterruptSignal terminationSignal(termination);
    const CancellationToken::Registration quitOnTermination = termination.onCancel([] { QCoreApplication::quit(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&app] { app.appDelegate().applicationWillTerminate(); });
    app.didFinishLaunching();
    const int exitCode = application.exec();
    singleInstance.setSelectionLookupHandler({});
    running = nullptr;
    return exitCode;
}

RarozezevApp::RarozezevApp(AppServices &services, DesktopServices &desktop, ModelContext &collection)
    : m_services(services),
      m_desktop(desktop),
      m_notificationCenter(services.notificationCenter()),
      m_appDelegate(std::make_unique<AppDelegate>(services.preferences(), collection, desktop.delegateServices(),
                                                  m_notificationCenter)),
      m_menuBarRoot(std::make_unique<MenuBarRoot>([this] { openSettings(); }, m_notificationCenter)),
      m_reminderNotificationCenter(desktop.reminderNotificationCenter())
{
    QObject::connect(&m_reminderNotificationCenter, &FreedesktopNotificationCenter::notificationOpened,
                     m_appDelegate.get(), &AppDelegate::openNotification);
    QObject::connect(&m_trayHostWatcher, &TrayHostWatcher::trayHostAvailable, m_menuBarRoot.get(),
                     &MenuBarRoot::showTrayIcon);
}

RarozezevApp::~RarozezevApp() { delete m_settingsWindow.data(); }

void RarozezevApp::didFinishLaunching()
{
    // Before the delegate schedules the reminders anew: what was missed since the last run
    // is still pending as it was then.
    m_reminderNotificationCenter.startDelivering();
    m_appDelegate->applicationDidFinishLaunching();
    m_trayHostWatcher.start();
}

std::optional<QString> RarozezevApp::open(const QString &what)
{
    const std::optional<OpenTarget> target = openTargetFromRawValue(what);
    if (!target)
        return QStringLiteral("未知的窗口：%1").arg(what);
    switch (*target) {
    case OpenTarget::lookup:
        m_notificationCenter.post(AppNotification::openLookupPanel);
        return std::nullopt;
    case OpenTarget::collection:
        m_notificationCenter.post(AppNotification::openCollection);
        return std::nullopt;
    case OpenTarget::review:
        m_notificationCenter.post(AppNotification::openReview);
        return std::nullopt;
    case OpenTarget::settings:
        openSettings();
        return std::nullopt;
    case OpenTarget::daily:
        m_notificationCenter.post(AppNotification::openDailyRecommendation);
        return std::nullopt;
    }
    return QStringLiteral("未知的窗口：%1").arg(what);
}

void RarozezevApp::openSettings()
{
    if (!m_settingsWindow) {
        auto reminders = std::make_shared<ReminderService>(m_desktop.reminderNotificationCenter());
        AppDelegate *delegate = m_appDelegate.get();
        AppServices *services = &m_services;
        auto model = std::make_unique<SettingsViewModel>(SettingsViewModel::Collaborators{
            m_services.preferences(), m_notificationCenter, reminders, reminders, &m_services.launchAtLogin(),
            [delegate](const QString &shortcut) { return delegate->applyGlobalShortcut(shortcut); },
            [services, delegate](bool includeNetwork) {
                return services->checkDesktop(includeNetwork, delegate->isHotkeyRegistered());
            }});
        m_settingsWindow = new SettingsWindow(std::move(model), [] {
            if (!FileManagerReveal::reveal(AppLogger::prepareLogFileForExport()))
                AppLogger::error([] { return QStringLiteral("Cannot show the diagnostic log in a file manager."); });
        });
        WindowPlacement::centreOnScreenUnderPointer(m_settingsWindow);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

std::optional<QString> RarozezevApp::preferenceChanged(const QString &key)
{
    AppPreferencesStoring &preferences = m_services.preferences();
    switch (PreferenceChangeRoute::of(key)) {
    case PreferenceChangeRoute::lookupTriggers:
        // A combination another client holds leaves the live one in place, and the command
        // that changed it learns so.
        if (key == AppPreferences::Key::globalShortcut && preferences.optionDHotkeyEnabled()) {
            if (std::optional<QString> failure = m_appDelegate->applyGlobalShortcut(preferences.globalShortcut()))
                return failure;
        }
        m_notificationCenter.post(AppNotification::lookupTriggerPreferencesChanged);
        break;
    case PreferenceChangeRoute::dailyRecommendation:
        m_notificationCenter.post(AppNotification::dailyRecommendationPreferencesChanged);
        break;
    case PreferenceChangeRoute::reviewReminder:
        m_appDelegate->scheduleReviewReminder(preferences.reminderEnabled());
        break;
    case PreferenceChangeRoute::readWhenUsed:
        break;
    }
    return std::nullopt;
}
