#pragma once

#include "app/AppDelegate.h"
#include "app/TrayHostWatcher.h"
#include "views/tray/MenuBarRoot.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class ModelContainer;
class SQLiteUserDefaults;

// The tray application: the collection database, the delegate that owns the services and
// windows, and the tray icon with its menu. One runs per user session.
class RarozezevApp {
public:
    // Start-up failure when the collection database cannot be opened; followed by the error.
    static QString containerFailurePrefix() { return QStringLiteral("无法创建本地数据容器: "); }

    // Runs the tray application until the user quits and returns the process exit code:
    // 0, or 1 when the database cannot be opened. A second start in the same session hands
    // over to the running instance (which opens the lookup panel) and returns at once.
    static int run(int &argc, char **argv);

    // Takes the opened database.
    explicit RarozezevApp(std::unique_ptr<ModelContainer> sharedModelContainer);
    ~RarozezevApp();
    RarozezevApp(const RarozezevApp &) = delete;
    RarozezevApp &operator=(const RarozezevApp &) = delete;

    AppDelegate &appDelegate() { return *m_appDelegate; }
    ModelContainer &sharedModelContainer() { return *m_sharedModelContainer; }
    MenuBarRoot &menuBarRoot() { return *m_menuBarRoot; }

    // Starts the delegate and the tray icon; the event loop runs next.
    void didFinishLaunching();
    // Carries out a request of another process (`rarozezev open WHAT`): nothing on success,
    // else the reason it could not be done.
    std::optional<QString> open(const QString &what);
    void openSettings();

private:
    void showTrayIcon();

    std::unique_ptr<ModelContainer> m_sharedModelContainer;
    std::unique_ptr<SQLiteUserDefaults> m_userDefaults;
    std::unique_ptr<AppDelegate> m_appDelegate;
    std::unique_ptr<MenuBarRoot> m_menuBarRoot;
    TrayHostWatcher m_trayHostWatcher;
    QPointer<QMessageBox> m_settingsPlaceholder;
};
