#pragma once

#include "badge/SelectionClickCounter.h"
#include "badge/SelectionMouseEvent.h"

#include <QtGlobal>

#include <cstddef>
#include <functional>

// Turns the device events that the X RECORD extension forwards (32-byte core event records,
// back to back) into left-button events with root coordinates and a click count. Other
// buttons, keys and motion are skipped. Independent of any connection, so it can be fed
// recorded bytes.
class X11RecordEventDecoder {
public:
    static constexpr std::size_t eventSize = 32;

    explicit X11RecordEventDecoder(int doubleClickIntervalMilliseconds = 400);

    void setDoubleClickInterval(int milliseconds) { m_clicks.setDoubleClickInterval(milliseconds); }

    // Decodes every whole event in the buffer; `swapped` says the server's byte order differs
    // from ours. Returns how many left-button events were delivered.
    int decode(const quint8 *data, std::size_t length, bool swapped,
               const std::function<void(const SelectionMouseEvent &)> &deliver);

private:
    SelectionClickCounter m_clicks;
    // The click count of the press in progress, repeated on its release.
    int m_pressClickCount = 1;
};
