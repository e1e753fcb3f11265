#pragma once

#include "capture/SelectionPasteboardItemSnapshot.h"

#include <QList>

// Everything the clipboard held, one entry per item in the clipboard's order.
// An empty clipboard is an empty list.
struct SelectionPasteboardSnapshot {
    QList<SelectionPasteboardItemSnapshot> items;

    bool isEmpty() const { return items.isEmpty(); }
    bool operator==(const SelectionPasteboardSnapshot &) const = default;
};
