#pragma once

#include "dictionary/SystemDictionaryLookingUp.h"

// The dictionary used under the test host: it never finds anything.
class NoOpSystemDictionaryClient final : public SystemDictionaryLookingUp {
public:
    std::optional<QString> lookupDefinition(const QString &) const override { return std::nullopt; }
};
