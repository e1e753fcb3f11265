#include "preferences/InMemoryUserDefaults.h"
#include "preferences/SQLiteUserDefaults.h"

#include "support/TestSupport.h"
#include "support/UserDefaultsStores.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

template <typename Store>
class UserDefaultsTest : public ::testing::Test {
protected:
    UserDefaultsStore<Store> factory;
    std::unique_ptr<UserDefaults> defaults = factory.make();
};

TYPED_TEST_SUITE(UserDefaultsTest, UserDefaultsImplementations);

// Booleans and integers read as each other; strings and bytes only as themselves. A stored
// false, 0, "" or empty bytes is a value, not an absence.
TYPED_TEST(UserDefaultsTest, EveryTypeReadsBackAndAsOtherTypesOnlyWhereThatMakesSense)
{
    using std::nullopt;
    const QString text = "阿里云百炼 CosyVoice \U0001F600 line\nbreak";
    const QByteArray binary("\0\x01\xff{\"a\":1}", 10);
    const std::tuple<std::optional<UserDefaultsValue>, std::optional<bool>, std::optional<qint64>,
                     std::optional<QString>, std::optional<QByteArray>>
        rows[] = {
            {nullopt, nullopt, nullopt, nullopt, nullopt},
            {false, false, 0, nullopt, nullopt},
            {qint64(0), false, 0, nullopt, nullopt},
            {qint64(5), true, 5, nullopt, nullopt},
            {QString(), nullopt, nullopt, QString(), nullopt},
            {text, nullopt, nullopt, text, nullopt},
            {QByteArray(), nullopt, nullopt, nullopt, QByteArray()},
            {binary, nullopt, nullopt, nullopt, binary},
        };
    UserDefaults &d = *this->defaults;
    int row = 0;
    for (const auto &[stored, asBool, asInteger, asString, asData] : rows) {
        SCOPED_TRACE(row);
        const QString key = QString::number(row++);
        if (stored) {
            EXPECT_TRUE(d.setValue(key, *stored));
        }
        EXPECT_EQ(d.contains(key), stored.has_value());
        EXPECT_EQ(d.boolValue(key), asBool);
        EXPECT_EQ(d.integerValue(key), asInteger);
        EXPECT_EQ(d.stringValue(key), asString);
        EXPECT_EQ(d.dataValue(key), asData);
    }

    // A write replaces the value of any type; removing forgets only that key, and succeeds
    // when there is nothing to remove.
    EXPECT_TRUE(d.setInteger("7", 9));
    EXPECT_EQ(d.value("7"), UserDefaultsValue(qint64(9)));
    EXPECT_TRUE(d.remove("7"));
    EXPECT_FALSE(d.contains("7"));
    EXPECT_TRUE(d.remove("7"));
    EXPECT_TRUE(d.contains("6"));
}

struct SQLiteUserDefaultsTest : ::testing::Test {
    QString pathIn(const QString &relative) const { return directory.filePath(relative); }
    QTemporaryDir directory;
};

TEST_F(SQLiteUserDefaultsTest, InstancesShareOneFileInPrivateFolders)
{
    const QString path = pathIn("share/Rarozezev/UserDefaults.sqlite3");
    {
        SQLiteUserDefaults first(path);
        ASSERT_TRUE(first.isOpen()) << first.lastError().toStdString();
        SQLiteUserDefaults second(path);
        first.setBool("reminderEnabled", true);
        EXPECT_EQ(second.boolValue("reminderEnabled"), true);
    }
    EXPECT_EQ(SQLiteUserDefaults(path).boolValue("reminderEnabled"), true);
    const QFile::Permissions others = QFile::ReadGroup | QFile::ReadOther | QFile::ExeGroup | QFile::ExeOther;
    for (const QString &created : {pathIn("share"), pathIn("share/Rarozezev")})
        EXPECT_EQ(QFileInfo(created).permissions() & others, QFile::Permissions()) << created.toStdString();
}

TEST_F(SQLiteUserDefaultsTest, ABrokenStoreReadsAsEmptyRefusesWritesAndKeepsTheFile)
{
    // A file that is not a database must not be overwritten by our schema.
    const QByteArray garbage(4096, '\x5a');
    QFile file(pathIn("UserDefaults.sqlite3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(garbage);
    file.close();
    // A directory that cannot be created because a file stands in its way.
    QFile(pathIn("blocker")).open(QIODevice::WriteOnly);

    for (const QString &path : {file.fileName(), pathIn("blocker/sub/UserDefaults.sqlite3")}) {
        SQLiteUserDefaults defaults(path);
        EXPECT_FALSE(defaults.isOpen()) << path.toStdString();
        EXPECT_FALSE(defaults.lastError().isEmpty());
        EXPECT_FALSE(defaults.setBool("k", true));
        EXPECT_FALSE(defaults.remove("k"));
        EXPECT_EQ(defaults.boolValue("k"), std::nullopt);
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

} // namespace
