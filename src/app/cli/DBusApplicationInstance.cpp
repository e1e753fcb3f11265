#include "app/cli/DBusApplicationInstance.h"

#include "platform/dbus/DBusSingleInstanceService.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

bool DBusApplicationInstance::isReachable() { return DBusSingleInstanceService::isSessionBusAvailable(); }

bool DBusApplicationInstance::isRunning() { return DBusSingleInstanceService::isInstanceRunning(); }

bool DBusApplicationInstance::startApplication()
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    // The application outlives this command; it must not hold the caller's directory busy.
    process.setWorkingDirectory(QDir::home().exists() ? QDir::homePath() : QDir::rootPath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    return process.startDetached();
}

QCoro::Task<bool> DBusApplicationInstance::waitUntilRunning(std::chrono::milliseconds timeout)
{
    return DBusSingleInstanceService::waitForInstance(timeout);
}

QCoro::Task<void> DBusApplicationInstance::requestOpen(QString what)
{
    return DBusSingleInstanceService::requestOpen(std::move(what), requestTimeout);
}
