#pragma once

#include "app/cli/CommandIO.h"

#include <QCoroTask>
#include <QStringList>

#include <chrono>
#include <optional>

class ApplicationInstanceConnecting;

// `rarozezev open lookup|collection|review|daily|settings`: asks the tray application of
// this session to open a window, starting it first when none runs. `rarozezev trigger` asks
// it to do what the hotkey does; desktops where the hotkey cannot be claimed bind their own
// shortcut to it.
class OpenCommand {
public:
    static constexpr std::chrono::milliseconds startTimeout{10000};

    OpenCommand(CommandIO io, ApplicationInstanceConnecting &instance);

    // `arguments` follow the word "open". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    // `arguments` follow the word "trigger".
    QCoro::Task<int> runTrigger(QStringList arguments);

    static QString helpText();
    static QString triggerHelpText();

private:
    // Prints `text` when `arguments` ask for help.
    bool printsHelp(const QStringList &arguments, const QString &text);
    // Reaches the instance, starting one when none runs, and asks it to open `what`, or
    // without `what` to look up the selection.
    QCoro::Task<int> deliver(std::optional<QString> what);

    CommandIO m_io;
    ApplicationInstanceConnecting &m_instance;
};
