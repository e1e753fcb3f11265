#pragma once

#include "app/cli/CommandIO.h"

#include <QCoroTask>
#include <QStringList>

#include <variant>

class AppPreferencesStoring;
class LaunchAtLogin;

// `rarozezev config`: reads and writes the preferences and stores the API keys.
//   config list | get KEY | set KEY VALUE | set-key ai|tts | delete-key ai|tts
// Keys are those of the user defaults ("dailyRecommendationHour.v1"); the property name
// without the version suffix is accepted too.
class ConfigCommand {
public:
    // What the settings are kept in: the preferences, and the autostart entry of "launchAtLogin".
    struct Settings {
        AppPreferencesStoring &preferences;
        LaunchAtLogin &launchAtLogin;
    };

    ConfigCommand(CommandIO io, Settings settings);

    // `arguments` follow the word "config". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    int list();
    int get(const QString &name);
    int set(const QString &name, const QString &value);
    // Saves the key read from standard input, or deletes the saved one.
    QCoro::Task<int> storeKey(QString which, bool deleting);
    // Reads the key from standard input: a line typed without echo at a terminal, else
    // everything piped in, less one trailing line break. The exit status instead when a
    // signal ended the prompt.
    std::variant<QString, int> readKey() const;
    int usageError(const QString &message) const;

    CommandIO m_io;
    Settings m_settings;
};
