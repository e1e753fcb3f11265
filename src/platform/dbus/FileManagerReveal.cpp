#include "platform/dbus/FileManagerReveal.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");

bool isFileManagerAvailable(const QDBusConnection &bus)
{
    QDBusConnectionInterface *interface = bus.interface();
    if (!interface)
        return false;
    if (interface->isServiceRegistered(kService).value())
        return true;
    // Nautilus, Dolphin and Thunar are started on demand by the bus.
    return interface->activatableServiceNames().value().contains(kService);
}

} // namespace

bool FileManagerReveal::reveal(const QUrl &file)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && isFileManagerAvailable(bus)) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/FileManager1"),
                                                          kService, QStringLiteral("ShowItems"));
        call.setArguments({QStringList{file.toString()}, QString()});
        // Not waited for: the file manager may take a while to start, and nothing depends on it.
        if (bus.send(call))
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath()));
}
