#include "preferences/InMemoryUserDefaults.h"
#include "preferences/LaunchAtLogin.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(LaunchAtLoginTest, TheEntryStartsExactlyTheProgramWhateverItsPathOrNothingIsWritten)
{
    const QList<QStringList> rows = {
        {"/usr/bin/rarozezev", "\nExec=/usr/bin/rarozezev\n"},
        {"/home/li ming/a$b\"c`d\\e%f/rarozezev", "\nExec=\"/home/li ming/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e%%f/rarozezev\"\n"},
        // A line break would let the rest of the path add keys to the entry.
        {"/tmp/x\nHidden=false\nExec=/bin/sh", ""},
    };
    for (const QStringList &row : rows) {
        QTemporaryDir home;
        InMemoryUserDefaults defaults;
        LaunchAtLogin entry(defaults, home.filePath("config/autostart"), row[0]);
        EXPECT_EQ(entry.setEnabled(true), !row[1].isEmpty());
        QFile file(entry.entryPath());
        EXPECT_EQ(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).contains(row[1]) : false,
                  !row[1].isEmpty());
    }
}

TEST(LaunchAtLoginTest, OnByDefaultUnlessTheLearnerTurnedItOffAndADesktopMayHideIt)
{
    QTemporaryDir home;
    InMemoryUserDefaults freshDefaults, declinedDefaults;
    LaunchAtLogin entry(freshDefaults, home.filePath("a"), "/usr/bin/rarozezev");
    LaunchAtLogin declined(declinedDefaults, home.filePath("b"), "/usr/bin/rarozezev");
    ASSERT_TRUE(declined.setEnabled(false)); // before the installed program first ran
    entry.enableUnlessDecided();
    declined.enableUnlessDecided();
    EXPECT_TRUE(entry.isEnabled());
    EXPECT_FALSE(declined.isEnabled());

    // A desktop's start-up settings turn an entry off by hiding it.
    ASSERT_TRUE(entry.setEnabled(true));
    QFile file(entry.entryPath());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("Hidden=true\n");
    file.close();
    EXPECT_FALSE(entry.isEnabled());
}

} // namespace
