#pragma once

#include "collection/LearningItemExplanationBlock.h"

#include <QList>
#include <QString>

// A "### " section of a stored explanation, as the collection's detail pane draws it.
struct LearningItemExplanationSection {
    QString title;
    QList<LearningItemExplanationBlock> blocks;

    bool operator==(const LearningItemExplanationSection &) const = default;
};
