#pragma once

#include "app/cli/CommandCollection.h"
#include "app/cli/CommandIO.h"
#include "review/ReviewResult.h"
#include "viewmodels/review/ReviewViewModel.h"

#include <QDateTime>
#include <QStringList>

#include <functional>

class LearningItemStore;

// `rarozezev review`: the review window's work from the command line.
//   review due [--format text|json] | answer ID forgot|hard|good|easy
// An answer is recorded exactly as the window records it: under a prompt type drawn for the
// item's type, at the current time, rescheduling the item.
class ReviewCommand {
public:
    using Clock = std::function<QDateTime()>;

    // Empty functions take the system's random generator and the current time.
    ReviewCommand(CommandIO io, CommandCollection::Opener openCollection, ReviewViewModel::RandomSource random = {},
                  Clock now = {});

    // `arguments` follow the word "review". Returns the exit code.
    int run(const QStringList &arguments);

    static QString helpText();

private:
    int listDue(LearningItemStore &store, bool json);
    int answer(LearningItemStore &store, const QUuid &id, ReviewResult result);
    int usageError(const QString &message) const;
    int fail(const QString &message) const;

    CommandIO m_io;
    CommandCollection m_collection;
    ReviewViewModel::RandomSource m_random;
    Clock m_now;
};
