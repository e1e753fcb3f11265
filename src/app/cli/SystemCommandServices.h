#pragma once

#include "app/cli/CommandServices.h"

#include <memory>

class AppPreferences;
class SQLiteUserDefaults;

// The real collaborators: preferences in the SQLite user defaults under the XDG data
// directory, keys in the Secret Service keyring.
class SystemCommandServices : public CommandServices {
public:
    SystemCommandServices();
    ~SystemCommandServices() override;

    AppPreferencesStoring &preferences() override;

private:
    SQLiteUserDefaults &userDefaults();

    std::unique_ptr<SQLiteUserDefaults> m_userDefaults;
    std::unique_ptr<AppPreferences> m_preferences;
};
