#pragma once

#include "models/LearningItemType.h"
#include "models/LookupResultDisplaySection.h"
#include "models/LookupResultSource.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A full explanation: from the AI service, the cache or the offline dictionary.
// Built field by field (aggregate initialisation keeps the declaration order).
struct LookupResult {
    QString selectedText;
    LearningItemType itemType = LearningItemType::word;
    LookupResultSource source = LookupResultSource::ai;
    std::optional<QString> phonetic;
    QString contextualMeaning;
    QStringList commonMeanings;
    std::optional<QString> partOfSpeech;
    QStringList collocations;
    QStringList examples;
    std::optional<QString> translation;
    QStringList usageNotes;
    QStringList suggestedExpressions;

    bool operator==(const LookupResult &) const = default;

    // Forgiving decoding of a JSON object; throws JSONDecodingError when no usable
    // meaning was sent.
    static LookupResult fromJSON(const QJsonObject &object);
    // Keys in field order; absent optionals are left out.
    QJsonObject toJSON() const;

    QList<LookupResultDisplaySection> displaySections() const;
    // The explanation text stored with a saved item and copied to the clipboard.
    QString markdownExplanation() const;
};
