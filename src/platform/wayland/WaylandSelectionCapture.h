#pragma once

#include "capture/SelectedTextCapturing.h"
#include "platform/wayland/WaylandDataControlSelection.h"

// The selection in a Wayland session whose compositor offers data-control: the primary
// selection, which every toolkit sets as the learner selects. There is no copy fallback here:
// a Wayland client cannot press Ctrl+C in another one, so an empty primary selection ends in
// a message saying what to do, and the clipboard is never touched.
class WaylandSelectionCapture : public SelectedTextCapturing {
public:
    explicit WaylandSelectionCapture(WaylandDataControlSelection selection = WaylandDataControlSelection());

    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation = {}) override;

private:
    WaylandDataControlSelection m_selection;
};
