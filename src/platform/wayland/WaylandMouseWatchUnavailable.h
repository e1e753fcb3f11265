#pragma once

#include "badge/SelectionMouseMonitoring.h"

// The selection badge's mouse watch in a Wayland session: Wayland tells a program about the
// pointer only over its own windows, so there is nothing to watch. Starting logs why the
// badge stays off and fails.
class WaylandMouseWatchUnavailable : public SelectionMouseMonitoring {
public:
    bool start(std::function<void(const SelectionMouseEvent &)> handler) override;
    void stop() override {}
};
