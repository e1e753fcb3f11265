#pragma once

#include "capture/SelectionPasteboard.h"
#include "capture/SelectionPasteboardKeeping.h"

#include <functional>
#include <memory>

// A clipboard whose restored contents outlive the process: a snapshot is put back through a
// keeper, which goes on holding it, and only when no keeper can take it by the clipboard
// itself. The keeper is started as soon as a snapshot worth keeping is taken, so that it is
// ready when the capture puts the snapshot back. An empty snapshot needs no keeper.
class KeptSelectionPasteboard : public SelectionPasteboard {
public:
    // Returns a keeper ready to take a snapshot, or null when none can be started.
    using KeeperLauncher = std::function<std::unique_ptr<SelectionPasteboardKeeping>()>;

    // `notKept` is called when contents worth keeping went back on the clipboard without a
    // keeper: they are there now, and gone when the process ends.
    KeptSelectionPasteboard(std::shared_ptr<SelectionPasteboard> pasteboard, KeeperLauncher launchKeeper,
                            std::function<void()> notKept);

    qint64 changeCount() const override { return m_pasteboard->changeCount(); }
    std::optional<QString> stringValue() const override { return m_pasteboard->stringValue(); }
    SelectionPasteboardSnapshot snapshot() override;
    qint64 clearContents() override { return m_pasteboard->clearContents(); }
    void restore(const SelectionPasteboardSnapshot &snapshot) override;

private:
    std::shared_ptr<SelectionPasteboard> m_pasteboard;
    KeeperLauncher m_launchKeeper;
    std::function<void()> m_notKept;
    // Started for the latest snapshot; used once.
    std::unique_ptr<SelectionPasteboardKeeping> m_keeper;
};
