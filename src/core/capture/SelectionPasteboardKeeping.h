#pragma once

#include "capture/SelectionPasteboardSnapshot.h"

// Holds the clipboard's contents on behalf of a process that is about to go away.
class SelectionPasteboardKeeping {
public:
    virtual ~SelectionPasteboardKeeping() = default;

    // Puts the snapshot on the clipboard and keeps it there. True once it is there; false
    // when the keeper could not take it in time, and the caller puts it back itself.
    virtual bool keep(const SelectionPasteboardSnapshot &snapshot) = 0;
};
