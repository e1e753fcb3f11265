#pragma once

#include "collection/LearningItem.h"
#include "review/ReviewEvent.h"
#include "storage/LearningItemFetchDescriptor.h"

#include <QList>

#include <functional>
#include <memory>

class SQLiteDatabase;

// The unit of work over the collection database. Items are handed out as shared objects with
// identity: while any holder keeps an item alive, every fetch that finds its id returns that
// same object, so a change made through one holder is seen by all. Inserts, deletes and field
// changes stay pending until save() writes them in one transaction, or rollback() discards
// them and puts the stored values back into the live objects. A changed item whose last
// holder lets go before the next save keeps its change pending all the same.
// Main thread only.
class ModelContext {
public:
    using ItemPointer = std::shared_ptr<LearningItem>;

    explicit ModelContext(SQLiteDatabase &database);
    ~ModelContext();
    ModelContext(const ModelContext &) = delete;
    ModelContext &operator=(const ModelContext &) = delete;

    // Stored items matching the predicate, minus those pending deletion, plus matching items
    // pending insertion, sorted by the descriptor's keys. Throws ModelStoreError.
    QList<ItemPointer> fetchItems(const LearningItemFetchDescriptor &descriptor = {});
    // Every review event, stored and pending, oldest first. Throws ModelStoreError.
    QList<ReviewEvent> fetchReviewEvents();

    // Takes `item` into the context as a pending insert and returns the managed object.
    // Throws ModelStoreError when an item with the same id is already in the context.
    ItemPointer insert(LearningItem item);
    void insert(ReviewEvent event);
    // Marks a managed item for deletion (an unsaved insert is simply dropped); an item that
    // is not in the context, or already deleted, is ignored.
    void deleteItem(const ItemPointer &item);

    // Gives a managed item its stored row again, dropping its pending changes; a pending
    // insert is left alone. Throws ModelStoreError when the row is gone (removed elsewhere).
    void refresh(const ItemPointer &item);
    // Runs `work` holding the database's write lock, so that what it reads (refresh, fetch)
    // is still current when a save() inside it writes; one commit for all of it. Rethrows
    // what `work` throws after undoing its writes (pending changes stay pending).
    void transaction(const std::function<void()> &work);

    bool hasChanges() const;
    // Writes every pending insert, delete and field change in one transaction, or none of
    // them: on failure everything stays pending and ModelStoreError is thrown, also when a
    // changed item's row was removed by another process meanwhile.
    void save();
    // Discards every pending change and gives live items their stored values back.
    void rollback();

    SQLiteDatabase &database() const;

private:
    struct State;
    struct ItemDeleter;

    ItemPointer adopt(LearningItem value, const LearningItem &stored);
    ItemPointer manage(LearningItem value);
    // The id a managed object was taken in under (its stored row's id).
    static QUuid keyOf(const ItemPointer &item);

    std::shared_ptr<State> m_state;
};
