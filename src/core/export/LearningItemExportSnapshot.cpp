#include "export/LearningItemExportSnapshot.h"

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
