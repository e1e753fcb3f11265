#include "storage/ModelContext.h"

#include "storage/ModelStoreError.h"
#include "storage/RecordCoding.h"
#include "storage/SQLiteDatabase.h"
#include "foundation/LocalizedTextOrder.h"

#include <QHashFunctions>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

struct UuidHash {
    size_t operator()(const QUuid &id) const noexcept { return qHash(id); }
};

template <typename Value>
using UuidMap = std::unordered_map<QUuid, Value, UuidHash>;

} // namespace

struct ModelContext::State {
    explicit State(SQLiteDatabase &db) : database(db) {}

    // A saved item the context knows: the live object (if anyone holds it) and the values
    // last read from or written to the database, against which changes are found at save.
    struct Tracked {
        std::weak_ptr<LearningItem> object;
        const LearningItem *address;
        LearningItem stored;
    };

    SQLiteDatabase &database;
    UuidMap<Tracked> tracked;
    std::vector<ItemPointer> insertedItems;
    // The ids of insertedItems, so that bulk inserts stay linear.
    std::unordered_set<QUuid, UuidHash> insertedIds;
    UuidMap<ItemPointer> deletedItems;
    std::vector<ReviewEvent> insertedEvents;
    // Changed values of items whose last holder let go before a save.
    UuidMap<LearningItem> orphanedChanges;
    LocalizedTextOrder textOrder;
};

// Runs when the last holder of a managed item lets go: an unsaved change is kept aside so
// that the next save still writes it (and a later fetch hands it out again).
struct ModelContext::ItemDeleter {
    std::weak_ptr<State> state;
    QUuid key;

    void operator()(LearningItem *item) const
    {
        std::unique_ptr<LearningItem> owned(item);
        const std::shared_ptr<State> live = state.lock();
        if (!live)
            return;
        const auto entry = live->tracked.find(key);
        if (entry == live->tracked.end() || entry->second.address != item)
            return;
        if (!RecordCoding::sameStoredFields(*item, entry->second.stored))
            live->orphanedChanges.insert_or_assign(key, std::move(*owned));
        live->tracked.erase(entry);
    }
};

QUuid ModelContext::keyOf(const ItemPointer &item)
{
    const ItemDeleter *deleter = std::get_deleter<ItemDeleter>(item);
    return deleter ? deleter->key : item->id;
}

ModelContext::ModelContext(SQLiteDatabase &database) : m_state(std::make_shared<State>(database)) {}

ModelContext::~ModelContext() = default;

SQLiteDatabase &ModelContext::database() const { return m_state->database; }

ModelContext::ItemPointer ModelContext::manage(LearningItem value)
{
    const QUuid key = value.id;
    return ItemPointer(new LearningItem(std::move(value)), ItemDeleter{m_state, key});
}

ModelContext::ItemPointer ModelContext::adopt(LearningItem value, const LearningItem &stored)
{
    ItemPointer object = manage(std::move(value));
    m_state->tracked.insert_or_assign(stored.id, State::Tracked{object, object.get(), stored});
    return object;
}

namespace {

int compareKey(LearningItemSortKey key, const LearningItem &a, const LearningItem &b, const LocalizedTextOrder &order)
{
    auto compareDates = [](const QDateTime &x, const QDateTime &y) {
        const qint64 left = x.toMSecsSinceEpoch();
        const qint64 right = y.toMSecsSinceEpoch();
        return left < right ? -1 : (left > right ? 1 : 0);
    };
    switch (key) {
    case LearningItemSortKey::createdAtAscending:
        return compareDates(a.createdAt, b.createdAt);
    case LearningItemSortKey::createdAtDescending:
        return -compareDates(a.createdAt, b.createdAt);
    case LearningItemSortKey::nextReviewAtAscending:
        return compareDates(a.nextReviewAt, b.nextReviewAt);
    case LearningItemSortKey::textAscending:
        return order.compare(a.text, b.text);
    }
    return 0;
}

const char *sqlOrderTerm(LearningItemSortKey key)
{
    switch (key) {
    case LearningItemSortKey::createdAtAscending:
        return "createdAt ASC";
    case LearningItemSortKey::createdAtDescending:
        return "createdAt DESC";
    case LearningItemSortKey::nextReviewAtAscending:
        return "nextReviewAt ASC";
    case LearningItemSortKey::textAscending:
        break;
    }
    return nullptr;
}

} // namespace

QList<ModelContext::ItemPointer> ModelContext::fetchItems(const LearningItemFetchDescriptor &descriptor)
{
    State &state = *m_state;
    const LearningItemPredicate &predicate = descriptor.predicate;

    // SQLite orders by the date keys up to the first text key; the natural text order needs
    // our collator, so the rest is sorted here, only within runs SQLite left tied.
    QByteArray sql = QByteArray("SELECT ") + RecordCoding::itemColumns + " FROM LearningItem";
    switch (predicate.kind()) {
    case LearningItemPredicate::Kind::all:
        break;
    case LearningItemPredicate::Kind::typeAndNormalizedText:
        sql += " WHERE typeRawValue = ?1 AND normalizedText = ?2";
        break;
    case LearningItemPredicate::Kind::nextReviewAtOrBefore:
        sql += " WHERE nextReviewAt <= ?1";
        break;
    }
    qsizetype sqlKeyCount = 0;
    while (sqlKeyCount < descriptor.sortBy.size() && sqlOrderTerm(descriptor.sortBy[sqlKeyCount])) {
        sql += sqlKeyCount == 0 ? " ORDER BY " : ", ";
        sql += sqlOrderTerm(descriptor.sortBy[sqlKeyCount]);
        ++sqlKeyCount;
    }

    QList<ItemPointer> items;
    {
        SQLiteDatabase::Statement statement = state.database.statement(sql.constData());
        if (predicate.kind() == LearningItemPredicate::Kind::typeAndNormalizedText)
            statement.bind(1, predicate.typeRawValue()).bind(2, predicate.normalizedText());
        else if (predicate.kind() == LearningItemPredicate::Kind::nextReviewAtOrBefore)
            statement.bind(1, RecordCoding::encodeDate(predicate.date()));
        while (statement.step()) {
            const QUuid id = RecordCoding::decodeUuid(statement.text(0));
            if (state.deletedItems.count(id))
                continue;
            LearningItem stored = RecordCoding::readItem(statement);
            if (const auto entry = state.tracked.find(id); entry != state.tracked.end()) {
                if (ItemPointer live = entry->second.object.lock()) {
                    // Another process may have written the row since: a live object without
                    // pending changes takes the stored values; a pending change stays ahead.
                    if (RecordCoding::sameStoredFields(*live, entry->second.stored))
                        *live = stored;
                    entry->second.stored = std::move(stored);
                    items.append(std::move(live));
                    continue;
                }
            }
            if (const auto orphan = state.orphanedChanges.find(id); orphan != state.orphanedChanges.end()) {
                LearningItem changed = std::move(orphan->second);
                state.orphanedChanges.erase(orphan);
                items.append(adopt(std::move(changed), stored));
            } else {
                items.append(adopt(stored, stored));
            }
        }
    }

    bool mergedPending = false;
    for (const ItemPointer &inserted : state.insertedItems) {
        if (predicate.matches(*inserted)) {
            items.append(inserted);
            mergedPending = true;
        }
    }

    const QList<LearningItemSortKey> &keys = descriptor.sortBy;
    auto less = [&keys, &state](const ItemPointer &a, const ItemPointer &b) {
        for (LearningItemSortKey key : keys) {
            if (const int order = compareKey(key, *a, *b, state.textOrder); order != 0)
                return order < 0;
        }
        return false;
    };
    if (mergedPending) {
        std::stable_sort(items.begin(), items.end(), less);
    } else if (sqlKeyCount < keys.size()) {
        auto sameSqlKeys = [&keys, sqlKeyCount, &state](const ItemPointer &a, const ItemPointer &b) {
            for (qsizetype i = 0; i < sqlKeyCount; ++i) {
                if (compareKey(keys[i], *a, *b, state.textOrder) != 0)
                    return false;
            }
            return true;
        };
        for (auto runStart = items.begin(); runStart != items.end();) {
            auto runEnd = std::next(runStart);
            while (runEnd != items.end() && sameSqlKeys(*runStart, *runEnd))
                ++runEnd;
            if (std::distance(runStart, runEnd) > 1)
                std::stable_sort(runStart, runEnd, less);
            runStart = runEnd;
        }
    }
    return items;
}

QList<ReviewEvent> ModelContext::fetchReviewEvents()
{
    static const QByteArray sql =
        QByteArray("SELECT ") + RecordCoding::eventColumns + " FROM ReviewEvent ORDER BY reviewedAt, rowid";
    QList<ReviewEvent> events;
    {
        SQLiteDatabase::Statement statement = m_state->database.statement(sql.constData());
        while (statement.step())
            events.append(RecordCoding::readEvent(statement));
    }
    for (const ReviewEvent &pending : m_state->insertedEvents)
        events.append(pending);
    return events;
}

void ModelContext::refresh(const ItemPointer &item)
{
    State &state = *m_state;
    if (!item || std::find(state.insertedItems.cbegin(), state.insertedItems.cend(), item) != state.insertedItems.cend())
        return;
    const QUuid key = keyOf(item);
    static const QByteArray sql =
        QByteArray("SELECT ") + RecordCoding::itemColumns + " FROM LearningItem WHERE id = ?1";
    std::optional<LearningItem> stored;
    {
        SQLiteDatabase::Statement statement = state.database.statement(sql.constData());
        statement.bind(1, RecordCoding::encodeUuid(key));
        if (statement.step())
            stored = RecordCoding::readItem(statement);
    }
    if (!stored)
        throw ModelStoreError(QStringLiteral("item %1 is no longer in the collection").arg(key.toString()));
    state.orphanedChanges.erase(key);
    if (const auto entry = state.tracked.find(key); entry != state.tracked.end() && entry->second.address == item.get())
        entry->second.stored = *stored;
    *item = std::move(*stored);
}

void ModelContext::transaction(const std::function<void()> &work) { m_state->database.transaction(work); }

ModelContext::ItemPointer ModelContext::insert(LearningItem item)
{
    State &state = *m_state;
    const QUuid id = item.id;
    if (state.insertedIds.count(id) || state.tracked.count(id) || state.orphanedChanges.count(id))
        throw ModelStoreError(QStringLiteral("an item with id %1 is already in the context").arg(id.toString()));
    ItemPointer object = manage(std::move(item));
    state.insertedItems.push_back(object);
    state.insertedIds.insert(id);
    return object;
}

void ModelContext::insert(ReviewEvent event) { m_state->insertedEvents.push_back(std::move(event)); }

void ModelContext::deleteItem(const ItemPointer &item)
{
    if (!item)
        return;
    State &state = *m_state;
    const auto inserted = std::find(state.insertedItems.begin(), state.insertedItems.end(), item);
    if (inserted != state.insertedItems.end()) {
        // Keep the object alive past the erase: its deleter must not run inside the vector.
        const ItemPointer keep = *inserted;
        state.insertedItems.erase(inserted);
        state.insertedIds.erase(keyOf(keep));
        return;
    }
    // The deleter remembers the id the object was stored under, whatever its field says now.
    const ItemDeleter *deleter = std::get_deleter<ItemDeleter>(item);
    if (!deleter || deleter->state.lock() != m_state)
        return;
    const auto entry = state.tracked.find(deleter->key);
    if (entry != state.tracked.end() && entry->second.address == item.get())
        state.deletedItems.insert_or_assign(deleter->key, item);
}

bool ModelContext::hasChanges() const
{
    const State &state = *m_state;
    if (!state.insertedItems.empty() || !state.deletedItems.empty() || !state.insertedEvents.empty()
        || !state.orphanedChanges.empty())
        return true;
    return std::any_of(state.tracked.cbegin(), state.tracked.cend(), [](const auto &pair) {
        const ItemPointer live = pair.second.object.lock();
        return live && !RecordCoding::sameStoredFields(*live, pair.second.stored);
    });
}

void ModelContext::save()
{
    State &state = *m_state;
    // Holding the changed objects here also keeps their deleters from touching `tracked`
    // until the bookkeeping below is done.
    std::vector<std::pair<QUuid, ItemPointer>> changed;
    for (const auto &[key, entry] : state.tracked) {
        if (state.deletedItems.count(key))
            continue;
        ItemPointer live = entry.object.lock();
        if (live && !RecordCoding::sameStoredFields(*live, entry.stored))
            changed.emplace_back(key, std::move(live));
    }
    if (changed.empty() && state.insertedItems.empty() && state.deletedItems.empty() && state.insertedEvents.empty()
        && state.orphanedChanges.empty())
        return;

    static const QByteArray insertItemSql = QByteArray("INSERT INTO LearningItem (") + RecordCoding::itemColumns
        + ", normalizedText) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, "
          "?18, ?19, ?20)";
    // The id is never rewritten: ?21 is the id the row was stored under.
    static const char *const updateItemSql =
        "UPDATE LearningItem SET text = ?2, typeRawValue = ?3, sourceApp = ?4, sourceTitle = ?5, "
        "contextBefore = ?6, contextAfter = ?7, explanation = ?8, examplesStorage = ?9, tagsStorage = ?10, "
        "familiarityRawValue = ?11, createdAt = ?12, updatedAt = ?13, lastReviewedAt = ?14, nextReviewAt = ?15, "
        "reviewCount = ?16, errorCount = ?17, ease = ?18, consecutiveCorrectCount = ?19, normalizedText = ?20 "
        "WHERE id = ?21";
    static const QByteArray insertEventSql =
        QByteArray("INSERT INTO ReviewEvent (") + RecordCoding::eventColumns + ") VALUES (?1, ?2, ?3, ?4, ?5)";

    SQLiteDatabase &database = state.database;
    auto update = [&database](const QUuid &key, const LearningItem &item) {
        SQLiteDatabase::Statement statement = database.statement(updateItemSql);
        RecordCoding::bindItem(statement, item);
        statement.bind(21, RecordCoding::encodeUuid(key)).run();
        // Removed by another process since it was read: the change has nothing to land on.
        if (database.changedRowCount() != 1)
            throw ModelStoreError(QStringLiteral("item %1 is no longer in the collection").arg(key.toString()));
    };

    database.transaction([&] {
        for (const ItemPointer &item : state.insertedItems) {
            SQLiteDatabase::Statement statement = database.statement(insertItemSql.constData());
            RecordCoding::bindItem(statement, *item);
            statement.bind(1, RecordCoding::encodeUuid(keyOf(item))).run();
        }
        for (const auto &[key, item] : changed)
            update(key, *item);
        for (const auto &[key, item] : state.orphanedChanges) {
            if (!state.deletedItems.count(key))
                update(key, item);
        }
        // A row another process removed already is gone as asked: not an error.
        for (const auto &[key, item] : state.deletedItems)
            database.statement("DELETE FROM LearningItem WHERE id = ?1").bind(1, RecordCoding::encodeUuid(key)).run();
        for (const ReviewEvent &event : state.insertedEvents) {
            SQLiteDatabase::Statement statement = database.statement(insertEventSql.constData());
            RecordCoding::bindEvent(statement, event);
            statement.run();
        }
    });

    // Written: the stored values are now what the objects hold.
    for (const auto &[key, item] : changed)
        state.tracked.at(key).stored = *item;
    for (const auto &[key, item] : state.deletedItems)
        state.tracked.erase(key);
    std::vector<ItemPointer> inserted;
    inserted.swap(state.insertedItems);
    state.insertedIds.clear();
    for (const ItemPointer &item : inserted)
        state.tracked.insert_or_assign(keyOf(item), State::Tracked{item, item.get(), *item});
    UuidMap<ItemPointer> deleted;
    deleted.swap(state.deletedItems);
    state.orphanedChanges.clear();
    state.insertedEvents.clear();
}

void ModelContext::rollback()
{
    State &state = *m_state;
    std::vector<ItemPointer> live;
    live.reserve(state.tracked.size());
    for (auto &[key, entry] : state.tracked) {
        if (ItemPointer object = entry.object.lock()) {
            *object = entry.stored;
            live.push_back(std::move(object));
        }
    }
    // Swapped out first: dropping the last references runs deleters that look into `state`.
    std::vector<ItemPointer> inserted;
    inserted.swap(state.insertedItems);
    state.insertedIds.clear();
    UuidMap<ItemPointer> deleted;
    deleted.swap(state.deletedItems);
    state.insertedEvents.clear();
    state.orphanedChanges.clear();
}
