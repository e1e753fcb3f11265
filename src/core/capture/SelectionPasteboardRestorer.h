#pragma once

#include "capture/SelectionPasteboardSnapshot.h"
#include "capture/SelectionPasteboardSnapshotReplacing.h"

// Turns a snapshot back into clipboard items and writes them.
class SelectionPasteboardRestorer {
public:
    // Throws AppError::clipboardRestoreFailed when an item cannot be built or written.
    static void restore(const SelectionPasteboardSnapshot &snapshot, SelectionPasteboardSnapshotReplacing &replacing);
};
