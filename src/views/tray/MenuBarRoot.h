#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class AppNotificationCenter;

// The tray icon "英语助手" and its menu: each window entry posts its in-process
// notification, "设置" runs the settings action and "退出" quits the application.
class MenuBarRoot : public QObject {
    Q_OBJECT

public:
    static QString title() { return QStringLiteral("英语助手"); }

    MenuBarRoot(std::function<void()> openSettings, AppNotificationCenter &notificationCenter,
                QObject *parent = nullptr);

    QMenu &menu() { return m_menu; }
    // Shows the icon in the tray, anew when it was shown before.
    void showTrayIcon();

    // The magnifying glass over text: the installed symbolic icon, else our own drawing.
    static QIcon icon();

private:
    std::function<void()> m_openSettings;
    QMenu m_menu;
    QSystemTrayIcon m_trayIcon;
};
