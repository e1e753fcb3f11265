#include "capture/KeptSelectionPasteboard.h"

#include <utility>

KeptSelectionPasteboard::KeptSelectionPasteboard(std::shared_ptr<SelectionPasteboard> pasteboard,
                                                 KeeperLauncher launchKeeper, std::function<void()> notKept)
    : m_pasteboard(std::move(pasteboard)), m_launchKeeper(std::move(launchKeeper)), m_notKept(std::move(notKept))
{
}

SelectionPasteboardSnapshot KeptSelectionPasteboard::snapshot()
{
    SelectionPasteboardSnapshot snapshot = m_pasteboard->snapshot();
    // A keeper from an earlier snapshot that was never put back ends here unused.
    m_keeper.reset();
    if (!snapshot.isEmpty() && m_launchKeeper)
        m_keeper = m_launchKeeper();
    return snapshot;
}

void KeptSelectionPasteboard::restore(const SelectionPasteboardSnapshot &snapshot)
{
    const std::unique_ptr<SelectionPasteboardKeeping> keeper = std::exchange(m_keeper, nullptr);
    if (keeper && !snapshot.isEmpty() && keeper->keep(snapshot))
        return;
    m_pasteboard->restore(snapshot);
    if (!snapshot.isEmpty() && m_notKept)
        m_notKept();
}
