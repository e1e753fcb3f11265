#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class SQLiteDatabase;

// Notices commits that other processes (the command line, a second window's process) make to
// the database file, by polling SQLite's data_version while it exists: a read of the shared
// WAL index, cheap enough for a timer. Commits through `database` itself do not count. The
// database must outlive the monitor. Main thread only.
class DatabaseChangeMonitor : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultInterval{1000};

    explicit DatabaseChangeMonitor(SQLiteDatabase &database, QObject *parent = nullptr,
                                   std::chrono::milliseconds interval = kDefaultInterval);

    // Looks now; emits changedElsewhere() and returns true when another connection
    // committed since the last look. A database that cannot be read counts as unchanged.
    bool check();

signals:
    void changedElsewhere();

private:
    SQLiteDatabase &m_database;
    qint64 m_version = 0;
    QTimer m_timer;
};
