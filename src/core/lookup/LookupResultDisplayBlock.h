#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One titled (or untitled) group of lines inside a display section.
struct LookupResultDisplayBlock {
    std::optional<QString> title;
    QStringList lines;

    LookupResultDisplayBlock() = default;
    LookupResultDisplayBlock(std::optional<QString> title, QStringList lines)
        : title(std::move(title)), lines(std::move(lines)) {}

    bool operator==(const LookupResultDisplayBlock &) const = default;
};
