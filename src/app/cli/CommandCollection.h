#pragma once

#include "app/cli/CommandIO.h"
#include "collection/LearningItemStore.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class LearningItem;

// The collection as the commands reach it. The database is opened only when a command is
// about to use it, so help and usage errors never touch it, and the commands word the
// failures they share in one way.
class CommandCollection {
public:
    // Returns a store over the collection database; throws ModelStoreError when the database
    // cannot be opened.
    using Opener = std::function<LearningItemStore()>;

    explicit CommandCollection(Opener opener);

    // The store, or nothing after printing why the database could not be opened.
    std::optional<LearningItemStore> open(const CommandIO &io) const;

    // An item id as the listings print it (braces and lower case are accepted too); nothing
    // for any other text, the all-zero id included.
    static std::optional<QUuid> parseID(const QString &text);
    // The item with this id, or null after printing that there is none or that the
    // collection could not be read.
    static std::shared_ptr<LearningItem> find(LearningItemStore &store, const QUuid &id, const CommandIO &io);

    // Printed when the collection cannot be read.
    static QString loadFailedMessage();

private:
    Opener m_opener;
};
