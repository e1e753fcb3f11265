#pragma once

class AppPreferencesStoring;

// What the commands work with. Implementations make each collaborator on first use, so a
// command that does not need the keyring or the preferences file never opens it.
class CommandServices {
public:
    virtual ~CommandServices() = default;

    virtual AppPreferencesStoring &preferences() = 0;
};
