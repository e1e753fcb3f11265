#include "views/tray/MenuBarRoot.h"

#include "foundation/AppNotificationCenter.h"
#include "views/common/SymbolIcon.h"

#include <QCoreApplication>
#include <QCursor>

MenuBarRoot::MenuBarRoot(std::function<void()> openSettings, AppNotificationCenter &notificationCenter,
                         QObject *parent)
    : QObject(parent), m_openSettings(std::move(openSettings))
{
    AppNotificationCenter *center = &notificationCenter;
    m_menu.addAction(QStringLiteral("打开查词窗口"), this, [center] { center->post(AppNotification::openLookupPanel); });
    m_menu.addAction(QStringLiteral("打开收藏本"), this, [center] { center->post(AppNotification::openCollection); });
    m_menu.addAction(QStringLiteral("开始复习"), this, [center] { center->post(AppNotification::openReview); });
    m_menu.addAction(QStringLiteral("今日英文推荐"), this,
                     [center] { center->post(AppNotification::openDailyRecommendation); });
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("设置"), this, [this] {
        if (m_openSettings)
            m_openSettings();
    });
    m_menu.addAction(QStringLiteral("退出"), this, [] { QCoreApplication::quit(); });

    m_trayIcon.setToolTip(title());
    m_trayIcon.setContextMenu(&m_menu);
    // A plain click opens the menu as well: the icon stands for the menu, as on a menu bar.
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_menu.popup(QCursor::pos());
    });
}

void MenuBarRoot::showTrayIcon()
{
    // Found at the first showing: without a tray host the icon is never drawn, and looking
    // it up in the icon themes is a good part of the application's start.
    if (m_trayIcon.icon().isNull())
        m_trayIcon.setIcon(icon());
    // Hidden first: a tray host that replaced an earlier one only learns of an icon shown anew.
    m_trayIcon.hide();
    m_trayIcon.show();
}

QIcon MenuBarRoot::icon()
{
    // The installed symbolic icon, by name, so that panels that recolour symbolic icons draw
    // it in their own text colour; run from the build folder, the bundled drawing, looked up
    // only then.
    const QIcon installed = QIcon::fromTheme(QStringLiteral("com.rarozezev.Rarozezev-symbolic"));
    if (!installed.isNull() && !installed.availableSizes().isEmpty())
        return installed;
    return SymbolIcon::icon(QStringLiteral("text.magnifyingglass"));
}
