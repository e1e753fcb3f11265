#pragma once

#include "app/AppDelegate.h"
#include "app/TrayHostWatcher.h"
#include "views/tray/MenuBarRoot.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class AppServices;
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
    static int run(AppServices &services);

    // Over the opened collection database.
    RarozezevApp(AppServices &services, ModelContext &collection);
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
    void openSettings();

private:
    void showTrayIcon();

    AppNotificationCenter &m_notificationCenter;
    std::unique_ptr<AppDelegate> m_appDelegate;
    std::unique_ptr<MenuBarRoot> m_menuBarRoot;
    TrayHostWatcher m_trayHostWatcher;
    QPointer<QMessageBox> m_settingsPlaceholder;
    FreedesktopNotificationCenter &m_reminderNotificationCenter;
};
