#include "preferences/InMemoryUserDefaults.h"
#include "preferences/LaunchAtLogin.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString entryText(const LaunchAtLogin &entry)
{
    QFile file(entry.entryPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(LaunchAtLoginTest, TheExecLineStartsExactlyTheProgramWhateverItsPath)
{
    const QList<QStringList> rows = {
        {"/usr/bin/rarozezev", "Exec=/usr/bin/rarozezev\n"},
        {"/home/li ming/a$b\"c`d\\e%f/rarozezev", "Exec=\"/home/li ming/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e%%f/rarozezev\"\n"},
    };
    for (const QStringList &row : rows) {
        QTemporaryDir home;
        InMemoryUserDefaults defaults;
        LaunchAtLogin entry(defaults, home.filePath("config/autostart"), row[0]);
        ASSERT_TRUE(entry.setEnabled(true));
        EXPECT_TRUE(entry.isEnabled());
        EXPECT_TRUE(entryText(entry).contains(row[1])) << entryText(entry).toStdString();
    }
}

// A line break in the path would let the rest of it add keys to the entry.
TEST(LaunchAtLoginTest, APathThatCannotBeWrittenSafelyLeavesNoEntry)
{
    QTemporaryDir home;
    InMemoryUserDefaults defaults;
    LaunchAtLogin entry(defaults, home.path(), "/tmp/x\nHidden=false\nExec=/bin/sh");
    EXPECT_FALSE(entry.setEnabled(true));
    EXPECT_FALSE(QFile::exists(entry.entryPath()));
}

TEST(LaunchAtLoginTest, OnByDefaultUntilTheLearnerTurnsItOffAndADesktopMayHideIt)
{
    QTemporaryDir home;
    InMemoryUserDefaults defaults;
    LaunchAtLogin entry(defaults, home.path(), "/usr/bin/rarozezev");
    entry.enableUnlessDecided();
    EXPECT_TRUE(entry.isEnabled());

    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(QFile::exists(entry.entryPath()));
    entry.enableUnlessDecided();
    EXPECT_FALSE(entry.isEnabled());

    // A desktop's start-up settings turn an entry off by hiding it.
    ASSERT_TRUE(entry.setEnabled(true));
    QFile file(entry.entryPath());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("Hidden=true\n");
    file.close();
    EXPECT_FALSE(entry.isEnabled());
}

} // namespace
