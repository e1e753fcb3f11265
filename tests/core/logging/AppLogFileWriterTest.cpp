#include "logging/AppLogFileWriter.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Channel = AppEnvironment::DistributionChannel;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &contents, mode_t mode = 0600)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    ::chmod(QFile::encodeName(path).constData(), mode);
}

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

struct AppLogFileWriterTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    QString in(const QString &relative) const { return root.filePath(relative); }
    QTemporaryDir root;
};

} // namespace

TEST(AppLogFileWriterPath, ChannelDecidesFolderAndFileUnderTheStateDirectory)
{
    const std::tuple<Channel, const char *, const char *, const char *> cases[] = {
        {Channel::release, "/var/state", "/home/l", "/var/state/Rarozezev/Logs/Production/Rarozezev.log"},
        {Channel::beta, "/var/state/", "/home/l", "/var/state/Rarozezev/Logs/Beta/Rarozezev-Beta.log"},
        // An empty or relative XDG_STATE_HOME is ignored in favour of ~/.local/state.
        {Channel::release, "state", "/home/l", "/home/l/.local/state/Rarozezev/Logs/Production/Rarozezev.log"},
        // Without any usable home the file goes to the temporary folder, without a channel folder.
        {Channel::beta, "", "", "/tmp/RarozezevLogs/Rarozezev-Beta.log"},
        {Channel::release, "rel", "home", "/tmp/RarozezevLogs/Rarozezev.log"},
    };
    for (const auto &[channel, state, home, expected] : cases)
        EXPECT_EQ(AppLogFileWriter::logFilePathFor(channel, state, home, "/tmp"), expected) << state << " " << home;
}

TEST_F(AppLogFileWriterTest, CreatesNothingUntilWrittenThenAppendsStampedLinesInOrder)
{
    const QString path = in("a/b/Rarozezev.log");
    {
        AppLogFileWriter writer(path);
        EXPECT_EQ(writer.logFileURL().toLocalFile(), path);
        EXPECT_FALSE(QDir(in("a")).exists());
        for (int i = 0; i < 50; ++i)
            writer.write("error", QStringLiteral("message %1 密钥").arg(i));
    } // destruction finishes the queue
    const QList<QByteArray> lines = readFile(path).split('\n');
    ASSERT_EQ(lines.size(), 51);
    EXPECT_TRUE(lines.last().isEmpty()) << "every line ends with a newline";
    static const QRegularExpression shape(
        "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z \\[error\\] message (\\d+) 密钥$");
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(shape.match(QString::fromUtf8(lines[i])).captured(1), QString::number(i)) << lines[i].data();

    // An existing file is appended to and keeps its mode.
    writeFile(in("old.log"), "earlier line\n", 0640);
    AppLogFileWriter old(in("old.log"));
    old.write("error", "later line");
    old.prepareLogFile();
    const QByteArray content = readFile(in("old.log"));
    EXPECT_TRUE(content.startsWith("earlier line\n") && content.endsWith(" [error] later line\n")) << content.data();
    EXPECT_EQ(content.count('\n'), 2);
    EXPECT_EQ(modeOf(in("old.log")), 0640u);
}

TEST_F(AppLogFileWriterTest, PrepareCreatesAPrivateEmptyFileWithoutTouchingExistingFolders)
{
    ::chmod(QFile::encodeName(root.path()).constData(), 0755);
    const QString path = in("Rarozezev/Logs/Production/Rarozezev.log");
    AppLogFileWriter(path).prepareLogFile();
    EXPECT_EQ(readFile(path), QByteArray(""));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(root.path()), 0755u) << "an existing folder keeps its mode";
    for (const char *folder : {"Rarozezev", "Rarozezev/Logs", "Rarozezev/Logs/Production"})
        EXPECT_EQ(modeOf(in(folder)), 0700u) << folder;
}

TEST_F(AppLogFileWriterTest, WritesOnlyARegularFileOfItsOwnInAFolderOfItsOwn)
{
    writeFile(in("Logs"), {});
    writeFile(in("victim"), "untouched\n");
    ASSERT_TRUE(QFile::link(in("victim"), in("Rarozezev.log")));
    // A FIFO with a reader would take the lines; without one a blocking open never returns.
    ASSERT_TRUE(QDir().mkpath(in("fifo")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(in("fifo/Rarozezev.log")).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(in("fifo/Rarozezev.log")).constData(), O_RDONLY | O_NONBLOCK);
    // A folder anyone may enter is ours to close; a link in place of the folder is refused.
    ASSERT_TRUE(QDir().mkpath(in("open")));
    ::chmod(QFile::encodeName(in("open")).constData(), 0777);
    ASSERT_TRUE(QFile::link(in("open"), in("linked")));
    for (const char *path : {"Logs/Rarozezev.log", "Rarozezev.log", "fifo/Rarozezev.log", "open/Rarozezev.log",
                             "linked/Rarozezev.log"}) {
        AppLogFileWriter writer(in(path));
        writer.write("error", "line");
        writer.prepareLogFile();
    }
    EXPECT_FALSE(QFileInfo::exists(in("Logs/Rarozezev.log")));
    EXPECT_EQ(readFile(in("victim")), QByteArray("untouched\n"));
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing went into the FIFO";
    ::close(reader);
    EXPECT_EQ(modeOf(in("open")), 0700u);
    EXPECT_EQ(readFile(in("open/Rarozezev.log")).count('\n'), 1) << "the link added nothing";
}

TEST_F(AppLogFileWriterTest, RotatesAFullLogKeepingOneOldFile)
{
    {
        AppLogFileWriter writer(in("Rarozezev.log"), 200);
        for (int i = 0; i < 12; ++i)
            writer.write("info", QStringLiteral("line %1").arg(i)); // about 40 bytes: five to a file
    }
    EXPECT_FALSE(QFileInfo::exists(in("Rarozezev.log.2")));
    const QByteArray old = readFile(in("Rarozezev.log.1"));
    const QByteArray current = readFile(in("Rarozezev.log"));
    EXPECT_EQ(old.count('\n'), 5);
    EXPECT_TRUE(old.contains("line 5\n") && old.contains("line 9\n")) << old.data();
    EXPECT_EQ(current.count('\n'), 2);
    EXPECT_TRUE(current.endsWith("line 11\n"));
    EXPECT_EQ(modeOf(in("Rarozezev.log")), 0600u);
}
