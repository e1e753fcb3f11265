#include "app/cli/CommandLineInterface.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Rarozezev"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("rarozezev.com"));

    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    CommandLineInterface cli;
    return cli.run(arguments);
}
