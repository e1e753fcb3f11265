#pragma once

#include "app/cli/CommandIO.h"
#include "reminders/ReminderClock.h"
#include "reminders/UserDefaultsReminderRequestStore.h"

#include <QStringList>

// `rarozezev reminders`: the pending reminders, soonest first, each with when it repeats and
// when it comes next in local time. The tray application shows them; this only reads.
class RemindersCommand {
public:
    RemindersCommand(CommandIO io, UserDefaultsReminderRequestStore store, ReminderClock clock = ReminderClock::system());

    // `arguments` follow the word "reminders". Returns the exit code.
    int run(const QStringList &arguments);

    static QString helpText();

private:
    CommandIO m_io;
    UserDefaultsReminderRequestStore m_store;
    ReminderClock m_clock;
};
