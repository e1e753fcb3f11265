#pragma once

#include "platform/wayland/WaylandDataControlConnection.h"
#include "platform/wayland/WaylandDataControlSelection.h"

#include <atomic>
#include <memory>
#include <thread>

struct zwlr_data_control_source_v1;
struct zwlr_data_control_source_v1_listener;

// Owns a Wayland clipboard through data-control with contents saved earlier, and hands them to
// whoever pastes until another client takes the clipboard: what puts the learner's clipboard
// back after a copy keystroke. Serves from a thread of its own, on a connection of its own, so
// that a paste into one of this program's windows, which blocks the main thread until the
// data arrives, still gets it.
class WaylandClipboardKeeper {
public:
    // Takes the clipboard of `display` (empty: WAYLAND_DISPLAY); null when it cannot.
    static std::unique_ptr<WaylandClipboardKeeper> take(const QByteArray &display,
                                                       WaylandDataControlSelection::Contents contents);
    // Stops serving; the clipboard is then empty unless another client took it.
    ~WaylandClipboardKeeper();
    WaylandClipboardKeeper(const WaylandClipboardKeeper &) = delete;
    WaylandClipboardKeeper &operator=(const WaylandClipboardKeeper &) = delete;

    // False once another client has taken the clipboard.
    bool ownsClipboard() const { return m_owner; }
    const WaylandDataControlSelection::Contents &contents() const { return m_contents; }

private:
    explicit WaylandClipboardKeeper(WaylandDataControlSelection::Contents contents);
    void serve();
    static void onSend(void *data, zwlr_data_control_source_v1 *source, const char *type, int32_t fd);
    static void onCancelled(void *data, zwlr_data_control_source_v1 *source);
    static const zwlr_data_control_source_v1_listener *sourceListener();

    WaylandDataControlConnection m_connection;
    const WaylandDataControlSelection::Contents m_contents;
    // The source belongs to the serving thread once it runs.
    zwlr_data_control_source_v1 *m_source = nullptr;
    std::atomic<bool> m_owner = false;
    // Written to end the serving thread.
    int m_wake[2] = {-1, -1};
    std::thread m_server;
};
