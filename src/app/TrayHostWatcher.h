#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// Some desktops run no tray host, or start one after us. The watcher reports a host as soon
// as one is there: at once from start(), else from a poll every few seconds. The first time
// no host is found it logs that the program goes on with only the hotkey, and only then.
class TrayHostWatcher : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultPollInterval{3000};

    // `isTrayHostAvailable` defaults to QSystemTrayIcon::isSystemTrayAvailable.
    explicit TrayHostWatcher(std::function<bool()> isTrayHostAvailable = {},
                             std::chrono::milliseconds pollInterval = defaultPollInterval, QObject *parent = nullptr);

    void start();
    bool isWatching() const { return m_pollTimer.isActive(); }

signals:
    // Once per absence: the host is there (again).
    void trayHostAvailable();

private:
    void check();

    std::function<bool()> m_isTrayHostAvailable;
    QTimer m_pollTimer;
    bool m_hadHost = false;
    bool m_loggedAbsence = false;
};
