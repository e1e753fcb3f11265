#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

#include <optional>

// Keeps a list of strings as one stored attribute; encodes as {"values": [...]}.
struct StringList {
    QStringList values;

    bool operator==(const StringList &) const = default;

    QJsonObject toJSON() const;
    // Nothing unless "values" is an array of strings only.
    static std::optional<StringList> fromJSON(const QJsonObject &object);

    // The same as compact JSON bytes, as a store keeps them in one column.
    QByteArray toJSONData() const;
    static std::optional<StringList> fromJSONData(const QByteArray &data);
};
