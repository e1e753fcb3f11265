#pragma once

#include "capture/SelectedTextCapturing.h"
#include "platform/wayland/WaylandDataControlSelection.h"

#include <memory>
#include <optional>

class PortalRemoteDesktopKeyboard;
class WaylandClipboardKeeper;

// The selection in a Wayland session whose compositor offers data-control: the primary
// selection, which every toolkit sets as the learner selects. A Wayland client cannot press
// Ctrl+C in another one, so an empty primary selection ends in a message saying what to do
// and the clipboard is never touched, unless the desktop grants a keyboard through its portal
// (KDE Plasma): then Ctrl+C copies the selection, which is read from the clipboard, and the
// clipboard as it was is put back and kept. Without data-control (GNOME) every capture says
// that this desktop lets no program read the selection.
class WaylandSelectionCapture : public SelectedTextCapturing {
public:
    // The copy fallback's keyboard, and where the clipboard put back is kept: one for the whole
    // application, since each restore replaces the previous one.
    struct CopyFallback {
        std::shared_ptr<PortalRemoteDesktopKeyboard> keyboard;
        std::shared_ptr<std::unique_ptr<WaylandClipboardKeeper>> keeper;
    };

    explicit WaylandSelectionCapture(std::optional<WaylandDataControlSelection> selection,
                                     std::optional<CopyFallback> copyFallback = std::nullopt);

    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation = {}) override;

private:
    // Ctrl+C through the portal; the text it put in the clipboard, if any.
    QCoro::Task<std::optional<QString>> copySelection(CancellationToken cancellation);

    std::optional<WaylandDataControlSelection> m_selection;
    std::optional<CopyFallback> m_copyFallback;
};
