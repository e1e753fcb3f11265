// The tray application's floor: a tray icon and a label, nothing else. It claims a bus name
// once its event loop runs, so that the benchmark sees it idle the same way as the real one.
// Built twice: with its label shown, and (FLOOR_WITHOUT_WINDOW) with no window at all, the
// stricter floor, since the tray application shows no window at start either.
#include <QApplication>
#include <QDBusConnection>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkBlue);
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.show();
    QLabel label(QStringLiteral("floor 查词"));
#ifndef FLOOR_WITHOUT_WINDOW
    label.show();
#endif
    QTimer::singleShot(0, [] { QDBusConnection::sessionBus().registerService(QStringLiteral("com.rarozezev.Floor")); });
    return application.exec();
}
