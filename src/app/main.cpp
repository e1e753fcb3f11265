#include "app/RarozezevApp.h"
#include "app/cli/CommandLineInterface.h"
#include "app/cli/InterruptSignal.h"
#include "app/cli/SystemCommandServices.h"

#include <QCoreApplication>
#include <QTimer>

#include <optional>

namespace {

QCoro::Task<void> runAndExit(CommandLineInterface &cli, QStringList arguments)
{
    const int exitCode = co_await cli.run(std::move(arguments));
    QCoreApplication::exit(exitCode);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Rarozezev"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("rarozezev.com"));

    QStringList commandArguments;
    for (int i = 1; i < argc; ++i)
        commandArguments.append(QString::fromLocal8Bit(argv[i]));
    if (!CommandLineInterface::wantsHeadlessRun(commandArguments))
        return RarozezevApp::run(argc, argv);

    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    CancellationToken interruption;
    InterruptSignal interruptSignal(interruption);
    SystemCommandServices services;
    CommandLineInterface cli(CommandIO{}, services, interruption);
    std::optional<QCoro::Task<void>> command;
    // Started from the event loop: exit() before exec() would be lost.
    QTimer::singleShot(0, &app, [&] { command.emplace(runAndExit(cli, arguments)); });
    return app.exec();
}
