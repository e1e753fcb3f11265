#pragma once

#include <QLatin1String>
#include <QString>

class UserDefaults;

// "登录时启动": the learner's autostart entry, `<autostart folder>/com.rarozezev.Rarozezev.desktop`
// (the folder is $XDG_CONFIG_HOME/autostart), which the desktop session reads at login. The
// file itself is the setting, so that a desktop's own start-up settings and ours agree.
class LaunchAtLogin {
public:
    static constexpr QLatin1String fileName{"com.rarozezev.Rarozezev.desktop"};
    // Recorded once the learner or the first run of the installed program has decided.
    static constexpr QLatin1String decidedKey{"launchAtLoginDecided.v1"};

    // `executable` is what the entry starts: the program's absolute path.
    LaunchAtLogin(UserDefaults &userDefaults, QString autostartFolder, QString executable);

    // An entry of ours exists and the desktop has not hidden it (Hidden=true, or GNOME's
    // X-GNOME-Autostart-enabled=false).
    bool isEnabled() const;
    // Writes or removes the entry and records that the learner decided. False when the file
    // could not be written or removed, or the executable's path cannot be put in an entry.
    bool setEnabled(bool enabled);
    // On by default: turns the entry on unless anyone decided before.
    void enableUnlessDecided();

    QString entryPath() const;

private:
    UserDefaults &m_userDefaults;
    QString m_folder;
    QString m_executable;
};
