#pragma once

#include "platform/x11/X11RecordEventDecoder.h"
#include "badge/SelectionMouseMonitoring.h"

#include <QtGlobal>

#include <functional>
#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

// Watches the left mouse button in every client through the X RECORD extension. RECORD only
// copies the events, so nothing is grabbed and the other application's own selection works
// as usual; it also reports root coordinates, wherever the pointer is. Two connections of our
// own: one to set up the recording, one that streams the recorded events, read on the main
// thread as they arrive. Press and release are enough (the drag distance is measured between
// them), so motion is not recorded.
class X11RecordMouseMonitor : public SelectionMouseMonitoring {
public:
    X11RecordMouseMonitor();
    ~X11RecordMouseMonitor() override;

    X11RecordMouseMonitor(const X11RecordMouseMonitor &) = delete;
    X11RecordMouseMonitor &operator=(const X11RecordMouseMonitor &) = delete;

    // False without an X server or without the RECORD extension.
    bool start(std::function<void(const SelectionMouseEvent &)> handler) override;
    void stop() override;

private:
    void readRecordedEvents();

    std::function<void(const SelectionMouseEvent &)> m_handler;
    X11RecordEventDecoder m_decoder;
    xcb_connection_t *m_control = nullptr;
    xcb_connection_t *m_data = nullptr;
    quint32 m_context = 0;
    unsigned int m_enableSequence = 0;
    bool m_gestureInOwnWindow = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
