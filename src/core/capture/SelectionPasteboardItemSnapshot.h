#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// One clipboard item: the raw bytes stored under each of its type identifiers. The types keep
// the order the clipboard listed them in, since owners list their preferred format first;
// equality ignores that order, as for a map.
struct SelectionPasteboardItemSnapshot {
    QList<std::pair<QString, QByteArray>> contentsByType;

    // A type set twice keeps its first position and its last bytes.
    void setData(const QString &type, const QByteArray &bytes);
    std::optional<QByteArray> data(const QString &type) const;

    bool operator==(const SelectionPasteboardItemSnapshot &other) const;
};
