#pragma once

#include "lookup/LookupResultDisplayBlock.h"

#include <QList>
#include <QString>

// A titled section of blocks, as the lookup panel and the review window draw it.
struct LookupResultDisplaySection {
    QString title;
    QList<LookupResultDisplayBlock> blocks;

    bool operator==(const LookupResultDisplaySection &) const = default;
};
