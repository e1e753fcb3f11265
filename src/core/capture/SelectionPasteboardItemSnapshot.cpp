#include "capture/SelectionPasteboardItemSnapshot.h"

#include <algorithm>

void SelectionPasteboardItemSnapshot::setData(const QString &type, const QByteArray &bytes)
{
    for (auto &entry : contentsByType) {
        if (entry.first == type) {
            entry.second = bytes;
            return;
        }
    }
    contentsByType.append({type, bytes});
}

std::optional<QByteArray> SelectionPasteboardItemSnapshot::data(const QString &type) const
{
    for (const auto &entry : contentsByType) {
        if (entry.first == type)
            return entry.second;
    }
    return std::nullopt;
}

bool SelectionPasteboardItemSnapshot::operator==(const SelectionPasteboardItemSnapshot &other) const
{
    if (contentsByType.size() != other.contentsByType.size())
        return false;
    return std::all_of(contentsByType.cbegin(), contentsByType.cend(), [&other](const auto &entry) {
        return other.data(entry.first) == entry.second;
    });
}
