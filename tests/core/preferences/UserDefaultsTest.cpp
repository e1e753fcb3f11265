#include "preferences/InMemoryUserDefaults.h"
#include "preferences/SQLiteUserDefaults.h"

#include "support/TestSupport.h"
#include "support/UserDefaultsStores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <limits>
#include <memory>

namespace {

template<typename Store>
class UserDefaultsTest : public ::testing::Test {
protected:
    UserDefaultsStore<Store> factory;
    std::unique_ptr<UserDefaults> defaults = factory.make();
};

TYPED_TEST_SUITE(UserDefaultsTest, UserDefaultsImplementations);

TYPED_TEST(UserDefaultsTest, StoredValuesReadBackAndAbsentIsNotAZeroValue)
{
    UserDefaults &d = *this->defaults;
    const QString keys[] = {QStringLiteral("reminderEnabled"), QStringLiteral("dailyRecommendationHour.v1"),
                            QStringLiteral("ttsProvider"), QStringLiteral("lookupResultCache.v1")};
    for (const QString &key : keys) {
        EXPECT_FALSE(d.contains(key));
        EXPECT_EQ(d.boolValue(key), std::nullopt);
        EXPECT_EQ(d.integerValue(key), std::nullopt);
        EXPECT_EQ(d.stringValue(key), std::nullopt);
        EXPECT_EQ(d.dataValue(key), std::nullopt);
    }

    // The zero values are values: a stored false, 0, "" or empty bytes is not "absent".
    EXPECT_TRUE(d.setBool(keys[0], false));
    EXPECT_TRUE(d.setInteger(keys[1], 0));
    EXPECT_TRUE(d.setString(keys[2], QString()));
    EXPECT_TRUE(d.setData(keys[3], QByteArray()));
    for (const QString &key : keys)
        EXPECT_TRUE(d.contains(key)) << key.toStdString();
    EXPECT_EQ(d.boolValue(keys[0]), false);
    EXPECT_EQ(d.integerValue(keys[1]), 0);
    EXPECT_EQ(d.stringValue(keys[2]), QString());
    EXPECT_EQ(d.dataValue(keys[3]), QByteArray());

    const QByteArray binary("\0\x01\xff{\"a\":1}", 10);
    const QString text = QStringLiteral("阿里云百炼 CosyVoice \U0001F600 line\nbreak");
    EXPECT_TRUE(d.setBool(keys[0], true));
    EXPECT_TRUE(d.setInteger(keys[1], std::numeric_limits<qint64>::min()));
    EXPECT_TRUE(d.setString(keys[2], text));
    EXPECT_TRUE(d.setData(keys[3], binary));
    EXPECT_EQ(d.boolValue(keys[0]), true);
    EXPECT_EQ(d.integerValue(keys[1]), std::numeric_limits<qint64>::min());
    EXPECT_EQ(d.stringValue(keys[2]), text);
    EXPECT_EQ(d.dataValue(keys[3]), binary);
}

TYPED_TEST(UserDefaultsTest, ValuesReadAsOtherTypesOnlyWhereThatMakesSense)
{
    UserDefaults &d = *this->defaults;
    d.setBool(QStringLiteral("true"), true);
    d.setInteger(QStringLiteral("zero"), 0);
    d.setInteger(QStringLiteral("five"), 5);
    d.setString(QStringLiteral("textTrue"), QStringLiteral("true"));
    d.setString(QStringLiteral("textOne"), QStringLiteral("1"));
    d.setData(QStringLiteral("bytes"), QByteArray("abc"));
    EXPECT_EQ(d.integerValue(QStringLiteral("true")), 1);
    EXPECT_EQ(d.boolValue(QStringLiteral("zero")), false);
    EXPECT_EQ(d.boolValue(QStringLiteral("five")), true);
    EXPECT_EQ(d.boolValue(QStringLiteral("textTrue")), std::nullopt);
    EXPECT_EQ(d.integerValue(QStringLiteral("textOne")), std::nullopt);
    EXPECT_EQ(d.dataValue(QStringLiteral("textOne")), std::nullopt);
    EXPECT_EQ(d.stringValue(QStringLiteral("bytes")), std::nullopt);
    EXPECT_EQ(d.stringValue(QStringLiteral("five")), std::nullopt);
    EXPECT_EQ(d.boolValue(QStringLiteral("bytes")), std::nullopt);
}

TYPED_TEST(UserDefaultsTest, WritesReplaceAcrossTypesAndRemoveForgetsOnlyThatKey)
{
    UserDefaults &d = *this->defaults;
    const QString key = QStringLiteral("dailyRecommendationHour.v1");
    d.setString(key, QStringLiteral("8"));
    d.setInteger(key, 9);
    EXPECT_EQ(d.stringValue(key), std::nullopt);
    EXPECT_EQ(d.integerValue(key), 9);

    d.setString(QStringLiteral("aiModel"), QStringLiteral("gpt"));
    EXPECT_TRUE(d.remove(key));
    EXPECT_FALSE(d.contains(key));
    EXPECT_TRUE(d.remove(key)) << "removing a missing key succeeds";
    EXPECT_EQ(d.stringValue(QStringLiteral("aiModel")), QStringLiteral("gpt"));
}

struct SQLiteUserDefaultsTest : ::testing::Test {
    QString pathIn(const QString &relative) const { return directory.filePath(relative); }
    QTemporaryDir directory;
};

TEST_F(SQLiteUserDefaultsTest, ValuesLastAcrossInstancesAndInstancesShareOneFile)
{
    const QString path = pathIn(QStringLiteral("UserDefaults.sqlite3"));
    {
        SQLiteUserDefaults first(path);
        ASSERT_TRUE(first.isOpen()) << first.lastError().toStdString();
        SQLiteUserDefaults second(path);
        first.setBool(QStringLiteral("reminderEnabled"), true);
        EXPECT_EQ(second.boolValue(QStringLiteral("reminderEnabled")), true);
        second.setString(QStringLiteral("aiModel"), QStringLiteral("m"));
        EXPECT_EQ(first.stringValue(QStringLiteral("aiModel")), QStringLiteral("m"));
    }
    SQLiteUserDefaults reopened(path);
    EXPECT_EQ(reopened.boolValue(QStringLiteral("reminderEnabled")), true);
    EXPECT_EQ(reopened.stringValue(QStringLiteral("aiModel")), QStringLiteral("m"));
}

TEST_F(SQLiteUserDefaultsTest, CreatesPrivateDirectoriesAndAWriteAheadLoggedFile)
{
    const QString path = pathIn(QStringLiteral("share/Rarozezev/UserDefaults.sqlite3"));
    SQLiteUserDefaults defaults(path);
    ASSERT_TRUE(defaults.isOpen()) << defaults.lastError().toStdString();
    EXPECT_TRUE(defaults.setInteger(QStringLiteral("k"), 1));

    for (const QString &created : {pathIn(QStringLiteral("share")), pathIn(QStringLiteral("share/Rarozezev"))}) {
        const QFile::Permissions permissions = QFileInfo(created).permissions();
        EXPECT_EQ(permissions & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeGroup | QFile::ExeOther),
                  QFile::Permissions()) << created.toStdString();
    }

    sqlite3 *database = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &database, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(database, "PRAGMA journal_mode", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)), "wal");
    sqlite3_finalize(statement);
    sqlite3_close(database);
}

TEST_F(SQLiteUserDefaultsTest, ABrokenStoreReadsAsEmptyRefusesWritesAndKeepsTheFile)
{
    // A file that is not a database must not be overwritten by our schema.
    const QString garbagePath = pathIn(QStringLiteral("UserDefaults.sqlite3"));
    const QByteArray garbage(4096, '\x5a');
    {
        QFile file(garbagePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    // A directory that cannot be created because a file stands in its way.
    QFile(pathIn(QStringLiteral("blocker"))).open(QIODevice::WriteOnly);
    const QString blockedPath = pathIn(QStringLiteral("blocker/sub/UserDefaults.sqlite3"));

    for (const QString &path : {garbagePath, blockedPath}) {
        SCOPED_TRACE(path.toStdString());
        SQLiteUserDefaults defaults(path);
        EXPECT_FALSE(defaults.isOpen());
        EXPECT_FALSE(defaults.lastError().isEmpty());
        EXPECT_FALSE(defaults.contains(QStringLiteral("k")));
        EXPECT_FALSE(defaults.setBool(QStringLiteral("k"), true));
        EXPECT_FALSE(defaults.remove(QStringLiteral("k")));
        EXPECT_EQ(defaults.boolValue(QStringLiteral("k")), std::nullopt);
    }
    QFile file(garbagePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

TEST_F(SQLiteUserDefaultsTest, DefaultPathFollowsXDGDataHome)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(directory.path()));
    const QString path = SQLiteUserDefaults::defaultPath();
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
    EXPECT_TRUE(path.startsWith(directory.path() + QLatin1Char('/'))) << path.toStdString();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/UserDefaults.sqlite3"))) << path.toStdString();
}

} // namespace
