#include "app/cli/DBusApplicationInstance.h"

#include "platform/dbus/DBusSingleInstanceService.h"
#include "platform/process/DetachedProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>

bool DBusApplicationInstance::isReachable() { return DBusSingleInstanceService::isSessionBusAvailable(); }

bool DBusApplicationInstance::isRunning() { return DBusSingleInstanceService::isInstanceRunning(); }

bool DBusApplicationInstance::startApplication()
{
    // The application outlives this command: it must not hold the caller's directory busy,
    // write to its terminal, or keep an API key the command was given.
    return DetachedProcess::launch(QCoreApplication::applicationFilePath(), {},
                                   DetachedProcess::inheritedEnvironment(QProcessEnvironment::systemEnvironment().toStringList()),
                                   QDir::home().exists() ? QDir::homePath() : QDir::rootPath());
}

QCoro::Task<bool> DBusApplicationInstance::waitUntilRunning(std::chrono::milliseconds timeout)
{
    return DBusSingleInstanceService::waitForInstance(timeout);
}

QCoro::Task<void> DBusApplicationInstance::requestOpen(QString what)
{
    return DBusSingleInstanceService::requestOpen(std::move(what), requestTimeout);
}

QCoro::Task<void> DBusApplicationInstance::requestSelectionLookup()
{
    return DBusSingleInstanceService::requestSelectionLookup(requestTimeout);
}

QCoro::Task<std::optional<QString>> DBusApplicationInstance::notifyPreferenceChanged(QString key)
{
    return DBusSingleInstanceService::requestPreferenceChanged(std::move(key), requestTimeout);
}
