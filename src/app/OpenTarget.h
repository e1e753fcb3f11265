#pragma once

#include <QString>

#include <array>
#include <optional>

// The windows another process may ask the running tray application to open
// (`rarozezev open WHAT`); the raw value is the word on the command line and on the bus.
enum class OpenTarget { lookup, collection, review, daily, settings };

inline constexpr std::array<OpenTarget, 5> kAllOpenTargets{OpenTarget::lookup, OpenTarget::collection,
                                                           OpenTarget::review, OpenTarget::daily,
                                                           OpenTarget::settings};

QString rawValue(OpenTarget target);
// No value for any text other than the five words (exact match).
std::optional<OpenTarget> openTargetFromRawValue(const QString &raw);
