#pragma once

#include "badge/SelectionMouseEvent.h"

#include <functional>

// Watches the left mouse button in every application without taking it from them.
class SelectionMouseMonitoring {
public:
    virtual ~SelectionMouseMonitoring() = default;

    // Starts delivering events to `handler` on the main thread; false when the desktop offers
    // no way to watch (nothing is delivered then). Stopping on destruction is guaranteed.
    virtual bool start(std::function<void(const SelectionMouseEvent &)> handler) = 0;
    virtual void stop() = 0;
};
