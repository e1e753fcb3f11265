#include "app/TrayHostWatcher.h"

#include "logging/AppLogger.h"

#include <QSystemTrayIcon>

TrayHostWatcher::TrayHostWatcher(std::function<bool()> isTrayHostAvailable, std::chrono::milliseconds pollInterval,
                                 QObject *parent)
    : QObject(parent),
      m_isTrayHostAvailable(isTrayHostAvailable ? std::move(isTrayHostAvailable)
                                                : [] { return QSystemTrayIcon::isSystemTrayAvailable(); })
{
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &TrayHostWatcher::check);
}

void TrayHostWatcher::start()
{
    // The poll keeps going while a host is there: a host that quits and comes back (a
    // restarted panel) needs the icon shown again.
    m_pollTimer.start();
    check();
}

void TrayHostWatcher::check()
{
    const bool hasHost = m_isTrayHostAvailable();
    if (hasHost && !m_hadHost) {
        m_hadHost = true;
        emit trayHostAvailable();
    } else if (!hasHost) {
        m_hadHost = false;
        if (!m_loggedAbsence) {
            m_loggedAbsence = true;
            AppLogger::error([] {
                return QStringLiteral("No system tray is available; running with the Alt+D hotkey only until one appears.");
            });
        }
    }
}
