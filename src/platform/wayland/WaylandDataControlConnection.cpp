#include "platform/wayland/WaylandDataControlConnection.h"

#include <wayland-client.h>
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// More than any selection worth keeping; a larger one is cut off here.
constexpr qsizetype kMaximumBytes = 1 << 20;

using Connection = WaylandDataControlConnection;

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto *connection = static_cast<Connection *>(data);
    if (!connection->seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        connection->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 && version >= 2) {
        // Version 2 brings the primary selection, which is what a selection lookup reads.
        connection->manager = static_cast<zwlr_data_control_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 2));
    }
}

void onGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

void onOfferType(void *data, zwlr_data_control_offer_v1 *offer, const char *type)
{
    static_cast<Connection *>(data)->offers[offer].append(QString::fromUtf8(type));
}

const zwlr_data_control_offer_v1_listener kOfferListener{onOfferType};

void onDataOffer(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    auto *connection = static_cast<Connection *>(data);
    connection->offers[offer];
    zwlr_data_control_offer_v1_add_listener(offer, &kOfferListener, connection);
}

void onSelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    static_cast<Connection *>(data)->clipboard = offer;
}

void onPrimarySelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    static_cast<Connection *>(data)->primary = offer;
}

void onFinished(void *, zwlr_data_control_device_v1 *) {}

const zwlr_data_control_device_v1_listener kDeviceListener{onDataOffer, onSelection, onFinished, onPrimarySelection};

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

WaylandDataControlConnection::~WaylandDataControlConnection()
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

bool WaylandDataControlConnection::open(const QByteArray &name)
{
    display = wl_display_connect(name.isEmpty() ? nullptr : name.constData());
    if (!display)
        return false;
    registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, this);
    return wl_display_roundtrip(display) >= 0 && seat && manager;
}

bool WaylandDataControlConnection::bindDevice()
{
    device = zwlr_data_control_manager_v1_get_data_device(manager, seat);
    zwlr_data_control_device_v1_add_listener(device, &kDeviceListener, this);
    // The device announces the current selections when it is made.
    return wl_display_roundtrip(display) >= 0;
}

std::optional<QByteArray> WaylandDataControlConnection::receive(zwlr_data_control_offer_v1 *offer, const QString &type,
                                                                std::chrono::milliseconds timeout)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    zwlr_data_control_offer_v1_receive(offer, type.toUtf8().constData(), fds[1]);
    wl_display_flush(display);
    ::close(fds[1]);
    std::optional<QByteArray> bytes = readAll(fds[0], timeout);
    ::close(fds[0]);
    return bytes;
}
