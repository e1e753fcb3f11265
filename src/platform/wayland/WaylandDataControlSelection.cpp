#include "platform/wayland/WaylandDataControlSelection.h"

#include "logging/AppLogger.h"

#include <wayland-client.h>
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <poll.h>
#include <unistd.h>

namespace {

// The text types in the order we prefer them: Wayland's own, then those XWayland bridges.
const char *const kTextTypes[] = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "STRING", "TEXT"};
// More than any selection worth looking up; a larger one is cut off here.
constexpr qsizetype kMaximumBytes = 1 << 20;

// One connection: the globals, the seat's data device and the offers it announced.
struct Session {
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    wl_seat *seat = nullptr;
    zwlr_data_control_manager_v1 *manager = nullptr;
    zwlr_data_control_device_v1 *device = nullptr;
    std::map<zwlr_data_control_offer_v1 *, QStringList> offers;
    zwlr_data_control_offer_v1 *clipboard = nullptr;
    zwlr_data_control_offer_v1 *primary = nullptr;

    ~Session()
    {
        for (auto &[offer, types] : offers)
            zwlr_data_control_offer_v1_destroy(offer);
        if (device)
            zwlr_data_control_device_v1_destroy(device);
        if (manager)
            zwlr_data_control_manager_v1_destroy(manager);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }
};

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto *session = static_cast<Session *>(data);
    if (!session->seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        session->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 && version >= 2) {
        // Version 2 brings the primary selection, which is what a selection lookup reads.
        session->manager = static_cast<zwlr_data_control_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 2));
    }
}

void onGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

void onOfferType(void *data, zwlr_data_control_offer_v1 *offer, const char *type)
{
    static_cast<Session *>(data)->offers[offer].append(QString::fromUtf8(type));
}

const zwlr_data_control_offer_v1_listener kOfferListener{onOfferType};

void onDataOffer(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    auto *session = static_cast<Session *>(data);
    session->offers[offer];
    zwlr_data_control_offer_v1_add_listener(offer, &kOfferListener, session);
}

void onSelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    static_cast<Session *>(data)->clipboard = offer;
}

void onPrimarySelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    static_cast<Session *>(data)->primary = offer;
}

void onFinished(void *, zwlr_data_control_device_v1 *) {}

const zwlr_data_control_device_v1_listener kDeviceListener{onDataOffer, onSelection, onFinished, onPrimarySelection};

// Connects and learns the globals; false when there is no compositor or no data-control.
bool connect(Session &session, const QByteArray &display)
{
    session.display = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!session.display)
        return false;
    session.registry = wl_display_get_registry(session.display);
    wl_registry_add_listener(session.registry, &kRegistryListener, &session);
    return wl_display_roundtrip(session.display) >= 0 && session.seat && session.manager;
}

// Reads the pipe until its writer closes it or the time is up.
std::optional<QByteArray> readAll(int fd, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    QByteArray bytes;
    char buffer[4096];
    while (bytes.size() < kMaximumBytes) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fd, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&readable, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

} // namespace

WaylandDataControlSelection::WaylandDataControlSelection(QByteArray display, std::chrono::milliseconds timeout)
    : m_display(std::move(display)), m_timeout(timeout)
{
}

bool WaylandDataControlSelection::isAvailable() const
{
    Session session;
    return connect(session, m_display);
}

std::optional<QString> WaylandDataControlSelection::text(Selection selection) const
{
    Session session;
    if (!connect(session, m_display))
        return std::nullopt;
    session.device = zwlr_data_control_manager_v1_get_data_device(session.manager, session.seat);
    zwlr_data_control_device_v1_add_listener(session.device, &kDeviceListener, &session);
    // The device announces the current selections when it is made.
    if (wl_display_roundtrip(session.display) < 0)
        return std::nullopt;
    zwlr_data_control_offer_v1 *offer = selection == Selection::primary ? session.primary : session.clipboard;
    if (!offer)
        return std::nullopt;
    const QStringList &types = session.offers[offer];
    const char *chosen = nullptr;
    for (const char *type : kTextTypes) {
        if (types.contains(QLatin1String(type))) {
            chosen = type;
            break;
        }
    }
    if (!chosen)
        return std::nullopt;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    zwlr_data_control_offer_v1_receive(offer, chosen, fds[1]);
    wl_display_flush(session.display);
    ::close(fds[1]);
    const std::optional<QByteArray> bytes = readAll(fds[0], m_timeout);
    ::close(fds[0]);
    if (!bytes) {
        AppLogger::error([] { return QStringLiteral("The Wayland selection's owner did not send its text in time."); });
        return std::nullopt;
    }
    return QString::fromUtf8(*bytes);
}
