#pragma once

#include "app/cli/CommandIO.h"

#include <QCoroTask>
#include <QStringList>

#include <chrono>

class ApplicationInstanceConnecting;

// `rarozezev open lookup|collection|review|daily|settings`: asks the tray application of
// this session to open a window, starting it first when none runs. Desktops where Alt+D
// cannot be grabbed bind their own shortcut to `rarozezev open lookup`.
class OpenCommand {
public:
    static constexpr std::chrono::milliseconds startTimeout{10000};

    OpenCommand(CommandIO io, ApplicationInstanceConnecting &instance);

    // `arguments` follow the word "open". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    CommandIO m_io;
    ApplicationInstanceConnecting &m_instance;
};
