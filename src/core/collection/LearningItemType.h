#pragma once

#include <QString>

#include <array>
#include <optional>

// What kind of text was selected. The raw values travel in JSON and in storage.
enum class LearningItemType { word, phrase, sentence };

inline constexpr std::array<LearningItemType, 3> kAllLearningItemTypes{
    LearningItemType::word, LearningItemType::phrase, LearningItemType::sentence};

QString rawValue(LearningItemType type);
// No value for any text other than the three raw values (exact match).
std::optional<LearningItemType> learningItemTypeFromRawValue(const QString &raw);
