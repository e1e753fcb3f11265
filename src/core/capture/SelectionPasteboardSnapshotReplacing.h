#pragma once

#include <QMimeData>

#include <memory>
#include <vector>

// Rewrites a clipboard in one step.
class SelectionPasteboardSnapshotReplacing {
public:
    virtual ~SelectionPasteboardSnapshotReplacing() = default;

    // Clears the clipboard and writes the items, which it takes over. An empty list leaves the
    // clipboard empty and succeeds. Returns false when the items could not be written.
    virtual bool replaceContents(std::vector<std::unique_ptr<QMimeData>> items) = 0;
};
