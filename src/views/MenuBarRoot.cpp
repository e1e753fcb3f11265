#include "views/MenuBarRoot.h"

#include "utilities/AppNotificationCenter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

// Mid grey reads on both light and dark panels.
const char kIconSVG[] = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24" fill="none"
 stroke="#7a7a7a" stroke-width="2" stroke-linecap="round">
<path d="M3 4h12M3 8h7M3 12h4"/>
<circle cx="14" cy="14" r="5"/>
<path d="M17.7 17.7l3.8 3.8"/>
</svg>)";

} // namespace

MenuBarRoot::MenuBarRoot(std::function<void()> openSettings, AppNotificationCenter &notificationCenter,
                         QObject *parent)
    : QObject(parent), m_openSettings(std::move(openSettings))
{
    AppNotificationCenter *center = &notificationCenter;
    m_menu.addAction(QStringLiteral("打开查词窗口"), this, [center] { center->post(AppNotification::openLookupPanel); });
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("设置"), this, [this] {
        if (m_openSettings)
            m_openSettings();
    });
    m_menu.addAction(QStringLiteral("退出"), this, [] { QCoreApplication::quit(); });

    m_trayIcon.setIcon(icon());
    m_trayIcon.setToolTip(title());
    m_trayIcon.setContextMenu(&m_menu);
    // A plain click opens the menu as well: the icon stands for the menu, as on a menu bar.
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_menu.popup(QCursor::pos());
    });
}

QIcon MenuBarRoot::icon()
{
    QSvgRenderer renderer(QByteArray::fromRawData(kIconSVG, sizeof kIconSVG - 1));
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
