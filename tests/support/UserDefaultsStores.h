#pragma once

#include "preferences/InMemoryUserDefaults.h"
#include "preferences/SQLiteUserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Makes a fresh store of either implementation, so a typed test runs over both.
template<typename Store>
struct UserDefaultsStore {
    std::unique_ptr<UserDefaults> make() { return std::make_unique<InMemoryUserDefaults>(); }
};

template<>
struct UserDefaultsStore<SQLiteUserDefaults> {
    QTemporaryDir directory;
    std::unique_ptr<UserDefaults> make()
    {
        return std::make_unique<SQLiteUserDefaults>(directory.filePath(QStringLiteral("UserDefaults.sqlite3")));
    }
};

using UserDefaultsImplementations = ::testing::Types<InMemoryUserDefaults, SQLiteUserDefaults>;
