#pragma once

#include <QByteArray>
#include <QStringList>

#include <chrono>
#include <map>
#include <optional>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;

// One connection to a compositor offering the wlroots data-control protocol: its globals, the
// seat's data device and the offers the device announced. What the selection readers and the
// clipboard keeper share; its objects go with it.
struct WaylandDataControlConnection {
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    wl_seat *seat = nullptr;
    zwlr_data_control_manager_v1 *manager = nullptr;
    zwlr_data_control_device_v1 *device = nullptr;
    // Every offer announced so far, with its types.
    std::map<zwlr_data_control_offer_v1 *, QStringList> offers;
    zwlr_data_control_offer_v1 *clipboard = nullptr;
    zwlr_data_control_offer_v1 *primary = nullptr;

    WaylandDataControlConnection() = default;
    ~WaylandDataControlConnection();
    WaylandDataControlConnection(const WaylandDataControlConnection &) = delete;
    WaylandDataControlConnection &operator=(const WaylandDataControlConnection &) = delete;

    // Connects to `display` (empty: WAYLAND_DISPLAY) and learns the globals; false without a
    // compositor or without data-control.
    bool open(const QByteArray &display);
    // Makes the seat's data device and waits for the current selections it announces.
    bool bindDevice();
    // The data of `offer` as `type`; nothing when its owner does not send it within `timeout`.
    std::optional<QByteArray> receive(zwlr_data_control_offer_v1 *offer, const QString &type,
                                      std::chrono::milliseconds timeout);
};
