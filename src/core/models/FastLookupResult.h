#pragma once

#include "models/LearningItemType.h"
#include "models/LookupResultDisplaySection.h"

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

    // Throws JSONDecodingError when neither a primary meaning nor a translation was sent.
    static FastLookupResult fromJSON(const QJsonObject &object);
    QJsonObject toJSON() const;

    QList<LookupResultDisplaySection> displaySections() const;
};
