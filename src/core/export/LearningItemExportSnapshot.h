#pragma once

#include "export/LearningItemExportItem.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>

// The exported JSON document: a format version, when it was made, and the items.
struct LearningItemExportSnapshot {
    // Readers can tell the layout of the document by this number.
    static constexpr int currentVersion = 1;

    int version = currentVersion;
    QDateTime exportedAt;
    QList<LearningItemExportItem> items;

    QJsonObject toJSON() const;

    bool operator==(const LearningItemExportSnapshot &) const = default;
};
