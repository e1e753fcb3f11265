#pragma once

#include <QList>
#include <QString>

#include <optional>

// Looks a selection up in an offline dictionary.
class SystemDictionaryLookingUp {
public:
    virtual ~SystemDictionaryLookingUp() = default;

    // The entry for the text as one plain string ("headword | pronunciations | senses",
    // senses numbered ① to ⑳; without pronunciations "headword | senses"), or nothing when
    // the text is blank or no entry exists. Synchronous and quick enough to call on the main
    // thread.
    virtual std::optional<QString> lookupDefinition(const QString &text) const = 0;

    // The start of the entry that is quick to find, in the same shape: the Chinese glosses
    // and the pronunciations, without the senses. Nothing when there are no Chinese glosses.
    virtual std::optional<QString> lookupChineseGlance(const QString &) const { return std::nullopt; }

    // A dictionary the entries are drawn from, and where it lives.
    struct Source {
        QString name;
        QString location;
    };
    // The dictionaries that could be opened, in the order they are consulted.
    virtual QList<Source> sources() const { return {}; }
};
