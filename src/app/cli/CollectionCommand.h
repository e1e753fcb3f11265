#pragma once

#include "app/cli/CommandCollection.h"
#include "app/cli/CommandIO.h"

#include <QDateTime>
#include <QStringList>

#include <functional>

class LearningItemStore;

// `rarozezev collection`: the saved items, as the collection window shows and exports them.
//   collection list [--format text|json] | remove ID | export --format json|xlsx PATH
class CollectionCommand {
public:
    using Clock = std::function<QDateTime()>;

    // `now` dates an export; the current time when empty.
    CollectionCommand(CommandIO io, CommandCollection::Opener openCollection, Clock now = {});

    // `arguments` follow the word "collection". Returns the exit code.
    int run(const QStringList &arguments);

    static QString helpText();

private:
    int list(LearningItemStore &store, bool json);
    int remove(LearningItemStore &store, const QUuid &id);
    int exportItems(LearningItemStore &store, bool xlsx, const QString &path);
    int usageError(const QString &message) const;
    int fail(const QString &message) const;

    CommandIO m_io;
    CommandCollection m_collection;
    Clock m_now;
};
