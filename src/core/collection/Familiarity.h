#pragma once

#include <QString>

#include <array>
#include <optional>

// How well the learner knows a saved item; the raw value is the case name
// (`new_` is spelled with an underscore only because `new` is a C++ keyword).
enum class Familiarity { new_, learning, familiar, mastered };

inline constexpr std::array<Familiarity, 4> kAllFamiliarityCases{
    Familiarity::new_, Familiarity::learning, Familiarity::familiar, Familiarity::mastered};

QString rawValue(Familiarity value);
// No value for any text other than the listed raw values (exact match).
std::optional<Familiarity> familiarityFromRawValue(const QString &raw);
