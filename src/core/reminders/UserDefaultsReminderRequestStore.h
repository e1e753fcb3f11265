#pragma once

#include "reminders/ReminderRequest.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <optional>

class UserDefaults;

// The pending reminders, kept in the user defaults so that they outlive the program: one
// JSON array under "reminders.pendingRequests.v1", in the order they were added. With each
// request goes the mark up to which its firings are dealt with (shown, or passed over).
class UserDefaultsReminderRequestStore {
public:
    struct Entry {
        ReminderRequest request;
        QDateTime handledThrough;
    };

    static QString key() { return QStringLiteral("reminders.pendingRequests.v1"); }

    explicit UserDefaultsReminderRequestStore(UserDefaults &defaults);

    // Unreadable entries are left out.
    QList<Entry> entries() const;
    // Puts the request in place of any with its identifier, with the firings up to `now`
    // dealt with. Returns false when the user defaults refused the write.
    bool add(const ReminderRequest &request, const QDateTime &now);
    // Returns false when the user defaults refused the write.
    bool remove(const QStringList &identifiers);
    // Moves the request's mark; nothing when it is no longer pending.
    bool setHandledThrough(const QString &identifier, const QDateTime &handledThrough);

private:
    bool store(const QList<Entry> &entries);

    UserDefaults &m_defaults;
};
