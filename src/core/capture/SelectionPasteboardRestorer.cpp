#include "capture/SelectionPasteboardRestorer.h"

#include "foundation/AppError.h"

void SelectionPasteboardRestorer::restore(const SelectionPasteboardSnapshot &snapshot,
                                          SelectionPasteboardSnapshotReplacing &replacing)
{
    std::vector<std::unique_ptr<QMimeData>> items;
    items.reserve(snapshot.items.size());
    for (const auto &itemSnapshot : snapshot.items) {
        auto item = std::make_unique<QMimeData>();
        for (const auto &[type, bytes] : itemSnapshot.contentsByType) {
            // A nameless type cannot be offered to anyone; writing the rest would pass off
            // a partial clipboard as the original.
            if (type.isEmpty())
                throw AppError::clipboardRestoreFailed();
            item->setData(type, bytes);
        }
        items.push_back(std::move(item));
    }
    if (!replacing.replaceContents(std::move(items)))
        throw AppError::clipboardRestoreFailed();
}
