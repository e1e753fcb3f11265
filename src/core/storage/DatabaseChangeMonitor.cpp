#include "storage/DatabaseChangeMonitor.h"

#include "storage/ModelStoreError.h"
#include "storage/SQLiteDatabase.h"

DatabaseChangeMonitor::DatabaseChangeMonitor(SQLiteDatabase &database, QObject *parent,
                                             std::chrono::milliseconds interval)
    : QObject(parent), m_database(database)
{
    try {
        m_version = m_database.dataVersion();
    } catch (const ModelStoreError &) {
    }
    connect(&m_timer, &QTimer::timeout, this, &DatabaseChangeMonitor::check);
    m_timer.start(interval);
}

bool DatabaseChangeMonitor::check()
{
    qint64 version = m_version;
    try {
        version = m_database.dataVersion();
    } catch (const ModelStoreError &) {
        return false;
    }
    if (version == m_version)
        return false;
    m_version = version;
    emit changedElsewhere();
    return true;
}
