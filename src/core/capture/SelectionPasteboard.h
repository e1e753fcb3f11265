#pragma once

#include "capture/SelectionPasteboardSnapshot.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// The clipboard that a capture borrows: it is emptied, receives the copied selection and
// gets its former contents back.
class SelectionPasteboard {
public:
    virtual ~SelectionPasteboard() = default;

    // Differs from any earlier value once the contents have changed, whoever changed them.
    virtual qint64 changeCount() const = 0;
    // The plain-text content; nothing when the clipboard holds no text.
    virtual std::optional<QString> stringValue() const = 0;
    // Every item with the bytes of every type. Throws AppError::clipboardSnapshotFailed when
    // some type's data cannot be read; the clipboard is left as it was.
    virtual SelectionPasteboardSnapshot snapshot() = 0;
    // Empties the clipboard and returns the new change count.
    virtual qint64 clearContents() = 0;
    // Puts a snapshot back. Throws AppError::clipboardRestoreFailed.
    virtual void restore(const SelectionPasteboardSnapshot &snapshot) = 0;
};
