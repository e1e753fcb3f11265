#pragma once

#include "capture/SelectedTextCapturing.h"
#include "platform/wayland/WaylandDataControlSelection.h"

#include <optional>

// The selection in a Wayland session whose compositor offers data-control: the primary
// selection, which every toolkit sets as the learner selects. There is no copy fallback here:
// a Wayland client cannot press Ctrl+C in another one, so an empty primary selection ends in
// a message saying what to do, and the clipboard is never touched. Without data-control
// (GNOME) every capture says that this desktop lets no program read the selection.
class WaylandSelectionCapture : public SelectedTextCapturing {
public:
    explicit WaylandSelectionCapture(std::optional<WaylandDataControlSelection> selection);

    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation = {}) override;

private:
    std::optional<WaylandDataControlSelection> m_selection;
};
