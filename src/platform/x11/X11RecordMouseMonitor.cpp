#include "platform/x11/X11RecordMouseMonitor.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStyleHints>

#include <xcb/record.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdlib>

namespace {

constexpr quint8 buttonPress = 4;
constexpr quint8 buttonRelease = 5;
// Category of enable-context replies that carry data from the server.
constexpr quint8 fromServer = 0;

int doubleClickInterval()
{
    if (auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return application->styleHints()->mouseDoubleClickInterval();
    return 400;
}

// Root coordinates are device pixels and Qt's window geometry is in device-independent ones;
// they agree unless the desktop is scaled, where this errs towards reporting the gesture.
bool isOverOwnWindow(QPointF root)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    return QGuiApplication::topLevelAt(root.toPoint()) != nullptr;
}

xcb_connection_t *connectToDisplay()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return connection;
}

} // namespace

X11RecordMouseMonitor::X11RecordMouseMonitor() = default;

X11RecordMouseMonitor::~X11RecordMouseMonitor() { stop(); }

bool X11RecordMouseMonitor::start(std::function<void(const SelectionMouseEvent &)> handler)
{
    stop();
    m_control = connectToDisplay();
    if (!m_control)
        return false;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_control, &xcb_record_id);
    auto *version = xcb_record_query_version_reply(
        m_control, xcb_record_query_version(m_control, XCB_RECORD_MAJOR_VERSION, XCB_RECORD_MINOR_VERSION), nullptr);
    const bool hasRecord = extension && extension->present && version;
    std::free(version);
    if (!hasRecord) {
        stop();
        return false;
    }

    m_context = xcb_generate_id(m_control);
    xcb_record_range_t range{};
    range.device_events.first = buttonPress;
    range.device_events.last = buttonRelease;
    const xcb_record_client_spec_t clients = XCB_RECORD_CS_ALL_CLIENTS;
    xcb_generic_error_t *error =
        xcb_request_check(m_control, xcb_record_create_context_checked(m_control, m_context, 0, 1, 1, &clients, &range));
    if (error) {
        std::free(error);
        m_context = 0;
        stop();
        return false;
    }

    // Enabling blocks its connection for good: every recorded event comes back as another
    // reply to this one request, so it gets a connection of its own.
    m_data = connectToDisplay();
    if (!m_data) {
        stop();
        return false;
    }
    m_enableSequence = xcb_record_enable_context(m_data, m_context).sequence;
    xcb_flush(m_data);

    m_handler = std::move(handler);
    m_decoder.setDoubleClickInterval(doubleClickInterval());
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_data), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readRecordedEvents(); });
    return true;
}

void X11RecordMouseMonitor::stop()
{
    m_notifier.reset();
    m_handler = nullptr;
    if (m_control && m_context) {
        // Disabling ends the data connection's reply stream; freeing drops the context.
        xcb_record_disable_context(m_control, m_context);
        xcb_record_free_context(m_control, m_context);
        xcb_flush(m_control);
    }
    m_context = 0;
    if (m_data) {
        xcb_disconnect(m_data);
        m_data = nullptr;
    }
    if (m_control) {
        xcb_disconnect(m_control);
        m_control = nullptr;
    }
}

void X11RecordMouseMonitor::readRecordedEvents()
{
    if (!m_data)
        return;
    for (;;) {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (!xcb_poll_for_reply(m_data, m_enableSequence, &reply, &error) || (!reply && !error))
            break;
        std::free(error);
        if (!reply)
            continue;
        auto *recorded = static_cast<xcb_record_enable_context_reply_t *>(reply);
        if (recorded->category == fromServer && m_handler) {
            // Device events come from the server, which sends them in our byte order.
            // The handler is copied so that one that stops the monitor does not pull the rug.
            const auto handler = m_handler;
            m_decoder.decode(xcb_record_enable_context_data(recorded),
                             std::size_t(xcb_record_enable_context_data_length(recorded)), false,
                             [this, &handler](const SelectionMouseEvent &event) {
                                 // Like a global monitor elsewhere, this one reports only other
                                 // applications' gestures: a press on our own badge or panel is
                                 // theirs to handle, and so is its release.
                                 if (event.kind == SelectionMouseEvent::Kind::leftMouseDown)
                                     m_gestureInOwnWindow = isOverOwnWindow(event.location);
                                 if (!m_gestureInOwnWindow)
                                     handler(event);
                             });
        }
        std::free(reply);
        if (!m_data)
            return;
    }
    if (m_data && xcb_connection_has_error(m_data))
        m_notifier.reset();
}
