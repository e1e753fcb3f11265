#pragma once

#include <QString>

#include <array>
#include <optional>

// The kind of review question recorded with an answer; the raw value is the case name.
enum class ReviewPromptType { hideTargetInContext, recallMeaning, recallEnglishFromChinese, explainOrRewriteSentence };

inline constexpr std::array<ReviewPromptType, 4> kAllReviewPromptTypeCases{
    ReviewPromptType::hideTargetInContext, ReviewPromptType::recallMeaning, ReviewPromptType::recallEnglishFromChinese, ReviewPromptType::explainOrRewriteSentence};

QString rawValue(ReviewPromptType value);
// No value for any text other than the listed raw values (exact match).
std::optional<ReviewPromptType> reviewPromptTypeFromRawValue(const QString &raw);
