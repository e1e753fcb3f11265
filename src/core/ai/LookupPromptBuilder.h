#pragma once

#include "collection/LearningItemType.h"

#include <QString>

#include <optional>

// Builds the user message of a lookup request: a role statement for an assistant to Chinese
// learners of English, the selection between its surrounding text, and a JSON template that
// fixes the keys of the answer. Pure functions; absent contexts are inserted as empty lines.
class LookupPromptBuilder {
public:
    // Asks for the quick first answer (the keys of FastLookupResult).
    static QString fastPrompt(const QString &selectedText, const std::optional<QString> &contextBefore,
                              const std::optional<QString> &contextAfter, LearningItemType itemType);
    // Asks for the full explanation (the keys of LookupResult except source); the
    // pronunciation accent ("british" or anything else) picks the IPA variant asked for.
    static QString prompt(const QString &selectedText, const std::optional<QString> &contextBefore,
                          const std::optional<QString> &contextAfter, LearningItemType itemType,
                          const QString &pronunciationAccent);

private:
    static QString phoneticInstruction(const QString &accent);
};
