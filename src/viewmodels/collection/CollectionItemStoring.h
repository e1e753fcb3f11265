#pragma once

#include "collection/LearningItem.h"

#include <QList>

#include <memory>

// What the collection window needs from the store: the whole collection and removal of one
// item. Both may throw the store's errors.
class CollectionItemStoring {
public:
    virtual ~CollectionItemStoring() = default;

    // Newest first.
    virtual QList<std::shared_ptr<LearningItem>> allItems() = 0;
    virtual void remove(const std::shared_ptr<LearningItem> &item) = 0;
};
