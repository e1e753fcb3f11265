#pragma once

#include "app/cli/CommandIO.h"

#include <QCoroTask>
#include <QStringList>

class CommandServices;

// `rarozezev doctor [--offline]`: what works on this desktop, one line each with ✓ or ✗ and
// a remedy, then the verdict. Exits 0 when a selection can be looked up, 1 otherwise.
class DoctorCommand {
public:
    DoctorCommand(CommandIO io, CommandServices &services);

    // `arguments` follow the word "doctor". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    CommandIO m_io;
    CommandServices &m_services;
};
