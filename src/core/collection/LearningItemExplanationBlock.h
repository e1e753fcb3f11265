#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One group of lines in the collection's detail pane, with an optional bold title.
struct LearningItemExplanationBlock {
    std::optional<QString> title;
    QStringList lines;

    bool operator==(const LearningItemExplanationBlock &) const = default;
};
