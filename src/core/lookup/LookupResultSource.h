#pragma once

#include <QString>

#include <optional>

// Where a full lookup result came from.
enum class LookupResultSource { ai, systemDictionary };

QString rawValue(LookupResultSource source);
std::optional<LookupResultSource> lookupResultSourceFromRawValue(const QString &raw);
