#pragma once

#include "app/AppDelegate.h"
#include "app/TrayHostWatcher.h"
#include "views/settings/SettingsWindow.h"
#include "views/tray/MenuBarRoot.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class AppServices;
class DesktopServices;
class FreedesktopNotificationCenter;
class ModelContext;

// The tray application: the delegate that owns the windows, and the tray icon with its menu.
// One runs per user session.
class RarozezevApp {
public:
    // Start-up failure when the collection database cannot be opened; followed by the error.
    static QString containerFailurePrefix() { return QStringLiteral("无法创建本地数据容器: "); }

    // Runs the tray application in main's QApplication until the user quits and returns the
    // process exit code: 0, or 1 when the database cannot be opened. A second start in the
    // same session hands over to the running instance (which opens the lookup panel) and
    // returns at once.
    static int run(AppServices &services, DesktopServices &desktop);

    // Over the opened collection database.
    RarozezevApp(AppServices &services, DesktopServices &desktop, ModelContext &collection);
    ~RarozezevApp();
    RarozezevApp(const RarozezevApp &) = delete;
    RarozezevApp &operator=(const RarozezevApp &) = delete;

    AppDelegate &appDelegate() { return *m_appDelegate; }
    MenuBarRoot &menuBarRoot() { return *m_menuBarRoot; }

    // Starts the delegate and the tray icon; the event loop runs next.
    void didFinishLaunching();
    // Carries out a request of another process (`rarozezev open WHAT`): nothing on success,
    // else the reason it could not be done.
    std::optional<QString> open(const QString &what);
    // The settings window, one at a time.
    void openSettings();
    SettingsWindow *settingsWindow() const { return m_settingsWindow.data(); }
    // Another process changed the preference `key`: the parts that depend on it follow.
    // The reason when they cannot (the chosen hotkey is taken).
    std::optional<QString> preferenceChanged(const QString &key);

private:
    AppServices &m_services;
    DesktopServices &m_desktop;
    AppNotificationCenter &m_notificationCenter;
    std::unique_ptr<AppDelegate> m_appDelegate;
    std::unique_ptr<MenuBarRoot> m_menuBarRoot;
    TrayHostWatcher m_trayHostWatcher;
    QPointer<SettingsWindow> m_settingsWindow;
    FreedesktopNotificationCenter &m_reminderNotificationCenter;
};
