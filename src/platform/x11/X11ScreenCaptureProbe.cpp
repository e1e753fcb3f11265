#include "platform/x11/X11ScreenCaptureProbe.h"

#include <QDir>
#include <QFile>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr qint64 processTableLifetimeMilliseconds = 250;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    auto *reply = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, std::uint16_t(std::strlen(name)), name),
                                        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

QByteArray property(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    auto *reply = xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 1024), nullptr);
    QByteArray value;
    if (reply)
        value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

} // namespace

X11ScreenCaptureProbe::X11ScreenCaptureProbe(QString procDirectory) : m_procDirectory(std::move(procDirectory))
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
}

X11ScreenCaptureProbe::~X11ScreenCaptureProbe()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11ScreenCaptureProbe::isScreenCaptureInterfaceActive()
{
    if (!m_processesAge.isValid() || m_processesAge.elapsed() > processTableLifetimeMilliseconds) {
        m_processes = runningApplications();
        m_processesAge.start();
    }
    return ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive(m_processes, frontmostApplication());
}

QList<RunningApplication> X11ScreenCaptureProbe::runningApplications() const
{
    QList<RunningApplication> applications;
    const QDir proc(m_procDirectory);
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isProcess = false;
        entry.toInt(&isProcess);
        if (!isProcess)
            continue;
        // Processes come and go while we read; a vanished one is simply skipped.
        QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromUtf8(comm.readAll()).trimmed();
        if (!name.isEmpty())
            applications.append(RunningApplication{std::nullopt, name});
    }
    return applications;
}

std::optional<RunningApplication> X11ScreenCaptureProbe::frontmostApplication() const
{
    if (!m_connection)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    const xcb_atom_t activeWindowAtom = internAtom(m_connection, "_NET_ACTIVE_WINDOW");
    if (activeWindowAtom == xcb_atom_t(XCB_ATOM_NONE))
        return std::nullopt;
    const QByteArray active = property(m_connection, root, activeWindowAtom, XCB_ATOM_WINDOW);
    if (active.size() < 4)
        return std::nullopt;
    xcb_window_t window = 0;
    std::memcpy(&window, active.constData(), sizeof window);
    if (window == xcb_window_t(XCB_WINDOW_NONE))
        return std::nullopt;
    // WM_CLASS holds two NUL-terminated strings: the instance name, then the class.
    const QList<QByteArray> parts = property(m_connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
    if (parts.size() < 2)
        return std::nullopt;
    return RunningApplication{QString::fromLocal8Bit(parts.at(1)), QString::fromLocal8Bit(parts.at(0))};
}
