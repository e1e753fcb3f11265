#pragma once

#include <QList>
#include <QString>

// The manual page rarozezev(1) in roff, written from the help texts of the program and of
// each command it lists, so that the page says what `--help` says. What no help text holds
// (exit statuses, environment, files) is written here, next to the commands.
class ManualPage {
public:
    struct Command {
        QString name;
        QString summary;
        QString help; // what `rarozezev NAME --help` prints
    };

    // The commands under "命令：" in the program's help, in its order.
    static QList<Command> commandsListedIn(const QString &programHelp);

    // `version` is the line `--version` prints.
    static QString render(const QString &programHelp, const QList<Command> &commands, const QString &version);
};
