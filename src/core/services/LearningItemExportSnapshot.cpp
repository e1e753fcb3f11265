#include "services/LearningItemExportSnapshot.h"

#include <QJsonArray>

QJsonObject LearningItemExportSnapshot::toJSON() const
{
    QJsonArray itemArray;
    for (const LearningItemExportItem &item : items)
        itemArray.append(item.toJSON());
    return QJsonObject{
        {QStringLiteral("version"), version},
        {QStringLiteral("exportedAt"), exportDateString(exportedAt)},
        {QStringLiteral("items"), itemArray},
    };
}

std::optional<LearningItemExportSnapshot> LearningItemExportSnapshot::fromJSON(const QJsonObject &object)
{
    const QJsonValue version = object.value(QStringLiteral("version"));
    const QJsonValue items = object.value(QStringLiteral("items"));
    LearningItemExportSnapshot snapshot;
    snapshot.exportedAt = exportDateFromString(object.value(QStringLiteral("exportedAt")).toString());
    if (!version.isDouble() || !items.isArray() || !snapshot.exportedAt.isValid())
        return std::nullopt;
    snapshot.version = version.toInt();
    for (const QJsonValue &value : items.toArray()) {
        if (!value.isObject())
            return std::nullopt;
        auto item = LearningItemExportItem::fromJSON(value.toObject());
        if (!item)
            return std::nullopt;
        snapshot.items.append(std::move(*item));
    }
    return snapshot;
}
