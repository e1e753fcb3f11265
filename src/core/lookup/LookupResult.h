#pragma once

#include "collection/LearningItemType.h"
#include "lookup/LookupResultDisplaySection.h"
#include "lookup/LookupResultSource.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

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

    // A dictionary entry taken apart for display: the pronunciations found after the
    // headword and one line per sense.
    struct SystemDictionaryDisplayParts {
        QStringList pronunciationLines;
        QStringList definitionLines;

        bool operator==(const SystemDictionaryDisplayParts &) const = default;
    };

    // Forgiving decoding of a JSON object: blank or mistyped fields read as absent, and
    // contextualMeaning falls back to translation, then to the first common meaning. Throws
    // JSONDecodingError (keyNotFound "contextualMeaning") when none of them was sent.
    static LookupResult fromJSON(const QJsonObject &object);
    // Absent optionals are left out (never null); lists are always written.
    QJsonObject toJSON() const;
    // The same as compact JSON text, with the keys in field order.
    QByteArray toJSONData() const;

    QList<LookupResultDisplaySection> displaySections() const;
    // The explanation text stored with a saved item and copied to the clipboard.
    QString markdownExplanation() const;
    // Sections in the explanation text format: "### " titles, "**…**" block titles, "- " lines.
    // Shared with the fast answer, which has sections but no stored explanation.
    static QString markdown(const QList<LookupResultDisplaySection> &sections);

    // Splits the raw dictionary text held in contextualMeaning; used for dictionary results.
    SystemDictionaryDisplayParts systemDictionaryDisplayParts() const;
    // Breaks one dictionary line before each circled number (① to ⑳).
    static QStringList splitSystemDictionaryDefinitionLine(const QString &line);
    // True for a character that is exactly one of the circled numbers one to twenty.
    static bool isCircledDictionaryNumber(QStringView character);
    // The lines of one block as Markdown: a lone line of an untitled or "词性" block stays
    // as it is, anything else becomes a "- " list.
    static QString markdownLines(const LookupResultDisplayBlock &block);
};
