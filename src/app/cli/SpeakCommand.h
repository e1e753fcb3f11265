#pragma once

#include "app/cli/CommandIO.h"
#include "foundation/CancellationToken.h"

#include <QCoroTask>
#include <QStringList>

class AppPreferencesStoring;
class CommandServices;

// `rarozezev speak [--accent american|british] [--output FILE] TEXT...`: pronounces the text
// as the lookup panel does (a single word with the system voice, anything else through the
// configured speech service) and waits until it has been heard, or writes the audio to FILE.
class SpeakCommand {
public:
    SpeakCommand(CommandIO io, CommandServices &services, CancellationToken interruption);

    // `arguments` follow the word "speak". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    CommandIO m_io;
    CommandServices &m_services;
    CancellationToken m_interruption;
};
