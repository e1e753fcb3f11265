#pragma once

#include "app/cli/CommandIO.h"

#include <QCoroTask>
#include <QStringList>

#include <variant>

class AppPreferencesStoring;
class ApplicationInstanceConnecting;
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
        // The tray application, told about every change so that it follows at once; null: none.
        ApplicationInstanceConnecting *instance = nullptr;
    };

    // What the learner is told before the selection badge goes on.
    static QString selectionBadgePrivacyNotice();

    ConfigCommand(CommandIO io, Settings settings);

    // `arguments` follow the word "config". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    int list();
    int get(const QString &name);
    QCoro::Task<int> set(QString name, QString value);
    // The running instance follows the change of `key`; its refusal is printed and, for the
    // hotkey, the previous combination written back.
    QCoro::Task<int> tellRunningInstance(QString key, QString previous);
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
