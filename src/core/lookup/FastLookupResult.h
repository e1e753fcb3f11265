#pragma once

#include "collection/LearningItemType.h"
#include "lookup/LookupResultDisplaySection.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The quick first answer shown while the full explanation is pending.
struct FastLookupResult {
    QString selectedText;
    LearningItemType itemType = LearningItemType::word;
    QString primaryMeaning;
    std::optional<QString> translation;
    std::optional<QString> example;
    std::optional<QString> briefUsageNote;

    bool operator==(const FastLookupResult &) const = default;

    // Forgiving decoding like LookupResult's; primaryMeaning falls back to translation.
    // Throws JSONDecodingError (keyNotFound "primaryMeaning") when neither was sent.
    static FastLookupResult fromJSON(const QJsonObject &object);
    // Absent optionals are left out (never null).
    QJsonObject toJSON() const;
    // The same as compact JSON text, with the keys in field order.
    QByteArray toJSONData() const;

    QList<LookupResultDisplaySection> displaySections() const;
};
