#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

class LearningItem;

// How `collection list` and `review due` print items: a table for people or a JSON array of
// the items in their export form.
class LearningItemListing {
public:
    LearningItemListing() = delete;

    // A header and one line per item: id, type, next review in local time, then the text
    // (last, as it may be long), its line breaks folded into spaces. `emptyMessage` alone
    // when there are no items.
    static QString table(const QList<std::shared_ptr<LearningItem>> &items, const QString &emptyMessage);
    // An indented JSON array, in the order given.
    static QString json(const QList<std::shared_ptr<LearningItem>> &items);

    // Local time to the minute, the form of every date the commands print for people.
    static QString localTime(const QDateTime &date);
};
