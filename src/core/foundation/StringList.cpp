#include "foundation/StringList.h"

#include <QJsonArray>
#include <QJsonDocument>

QJsonObject StringList::toJSON() const
{
    return QJsonObject{{QStringLiteral("values"), QJsonArray::fromStringList(values)}};
}

std::optional<StringList> StringList::fromJSON(const QJsonObject &object)
{
    const QJsonValue array = object.value(QStringLiteral("values"));
    if (!array.isArray())
        return std::nullopt;
    StringList result;
    const QJsonArray elements = array.toArray();
    result.values.reserve(elements.size());
    for (const QJsonValue &element : elements) {
        // A half-read list would silently lose examples; treat it as unreadable instead.
        if (!element.isString())
            return std::nullopt;
        result.values.append(element.toString());
    }
    return result;
}

QByteArray StringList::toJSONData() const { return QJsonDocument(toJSON()).toJson(QJsonDocument::Compact); }

std::optional<StringList> StringList::fromJSONData(const QByteArray &data)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return fromJSON(document.object());
}
