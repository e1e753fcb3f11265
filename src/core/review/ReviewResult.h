#pragma once

#include <QString>

#include <array>
#include <optional>

// The learner's answer to one review; the raw value is the case name.
enum class ReviewResult { forgot, hard, good, easy };

inline constexpr std::array<ReviewResult, 4> kAllReviewResultCases{
    ReviewResult::forgot, ReviewResult::hard, ReviewResult::good, ReviewResult::easy};

QString rawValue(ReviewResult value);
// No value for any text other than the listed raw values (exact match).
std::optional<ReviewResult> reviewResultFromRawValue(const QString &raw);
