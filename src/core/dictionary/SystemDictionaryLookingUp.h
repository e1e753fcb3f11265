#pragma once

#include <QString>

#include <optional>

// Looks a selection up in an offline dictionary.
class SystemDictionaryLookingUp {
public:
    virtual ~SystemDictionaryLookingUp() = default;

    // The entry for the text as one plain string ("headword | pronunciations | senses",
    // senses numbered ① to ⑳), or nothing when the text is blank or no entry exists.
    // Synchronous and quick enough to call on the main thread.
    virtual std::optional<QString> lookupDefinition(const QString &text) const = 0;
};
