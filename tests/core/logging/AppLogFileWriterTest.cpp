#include "logging/AppLogFileWriter.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using Channel = AppEnvironment::DistributionChannel;

static QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static mode_t permissionsOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

TEST(AppLogFileWriterPathTest, ChannelDecidesFolderAndFileUnderTheStateDirectory)
{
    const struct {
        Channel channel;
        const char *state, *home, *expected;
    } cases[] = {
        {Channel::release, "/var/state", "/home/learner", "/var/state/Rarozezev/Logs/Production/Rarozezev.log"},
        {Channel::beta, "/var/state/", "/home/learner", "/var/state/Rarozezev/Logs/Beta/Rarozezev-Beta.log"},
        // An empty or relative XDG_STATE_HOME is ignored in favour of ~/.local/state.
        {Channel::release, "", "/home/learner", "/home/learner/.local/state/Rarozezev/Logs/Production/Rarozezev.log"},
        {Channel::beta, "state", "/home/learner", "/home/learner/.local/state/Rarozezev/Logs/Beta/Rarozezev-Beta.log"},
        // Without any usable home the file goes to the temporary folder, without a channel folder.
        {Channel::beta, "", "", "/tmp/RarozezevLogs/Rarozezev-Beta.log"},
        {Channel::release, "rel", "home", "/tmp/RarozezevLogs/Rarozezev.log"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AppLogFileWriter::logFilePathFor(c.channel, QString::fromLatin1(c.state), QString::fromLatin1(c.home),
                                                   QStringLiteral("/tmp")),
                  QString::fromLatin1(c.expected))
            << c.state << " " << c.home;
}

TEST(AppLogFileWriterPathTest, DefaultPathFollowsXdgStateHome)
{
    QTemporaryDir state;
    ASSERT_TRUE(state.isValid());
    const bool wasSet = qEnvironmentVariableIsSet("XDG_STATE_HOME");
    const QByteArray saved = qgetenv("XDG_STATE_HOME");

    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    EXPECT_EQ(AppLogFileWriter::defaultLogFilePath(Channel::release),
              state.path() + QStringLiteral("/Rarozezev/Logs/Production/Rarozezev.log"));
    qputenv("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(AppLogFileWriter::defaultLogFilePath(Channel::beta),
              QDir::homePath() + QStringLiteral("/.local/state/Rarozezev/Logs/Beta/Rarozezev-Beta.log"));

    if (wasSet)
        qputenv("XDG_STATE_HOME", saved);
    else
        qunsetenv("XDG_STATE_HOME");
}

TEST(AppLogFileWriterTest, ConstructionCreatesNothingAndLinesArriveInOrder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString path = root.path() + QStringLiteral("/a/b/Rarozezev.log");
    {
        AppLogFileWriter writer(path);
        EXPECT_EQ(writer.logFileURL().toLocalFile(), path);
        EXPECT_FALSE(QDir(root.path() + QStringLiteral("/a")).exists());
        for (int i = 0; i < 200; ++i)
            writer.write(QStringLiteral("error"), QStringLiteral("message %1 密钥").arg(i));
        // Destruction finishes the queue.
    }

    const QList<QByteArray> lines = readFile(path).split('\n');
    ASSERT_EQ(lines.size(), 201);
    EXPECT_TRUE(lines.last().isEmpty()) << "every line ends with a newline";
    static const QRegularExpression shape(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z \\[error\\] message (\\d+) 密钥$"));
    for (int i = 0; i < 200; ++i) {
        const QRegularExpressionMatch match = shape.match(QString::fromUtf8(lines[i]));
        ASSERT_TRUE(match.hasMatch()) << lines[i].constData();
        EXPECT_EQ(match.captured(1).toInt(), i);
    }
}

TEST(AppLogFileWriterTest, PrepareCreatesAPrivateEmptyFileWithoutTouchingExistingFolders)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ::chmod(QFile::encodeName(root.path()).constData(), 0755);
    const QString path = root.path() + QStringLiteral("/Rarozezev/Logs/Production/Rarozezev.log");

    AppLogFileWriter writer(path);
    writer.prepareLogFile();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(permissionsOf(path), 0600u);
    EXPECT_EQ(permissionsOf(root.path()), 0755u) << "an existing folder keeps its mode";
    EXPECT_EQ(permissionsOf(root.path() + QStringLiteral("/Rarozezev")), 0700u);
    EXPECT_EQ(permissionsOf(root.path() + QStringLiteral("/Rarozezev/Logs")), 0700u);
    EXPECT_EQ(permissionsOf(root.path() + QStringLiteral("/Rarozezev/Logs/Production")), 0700u);

    writer.write(QStringLiteral("error"), QStringLiteral("kept"));
    writer.prepareLogFile();
    EXPECT_TRUE(readFile(path).endsWith(" [error] kept\n"));
}

TEST(AppLogFileWriterTest, AppendsToAnExistingFileAndKeepsItsMode)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString path = root.path() + QStringLiteral("/Rarozezev.log");
    {
        QFile existing(path);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("earlier line\n");
    }
    ::chmod(QFile::encodeName(path).constData(), 0640);

    AppLogFileWriter writer(path);
    writer.write(QStringLiteral("error"), QStringLiteral("later line"));
    writer.prepareLogFile();

    const QByteArray content = readFile(path);
    EXPECT_TRUE(content.startsWith("earlier line\n")) << content.constData();
    EXPECT_TRUE(content.endsWith(" [error] later line\n")) << content.constData();
    EXPECT_EQ(content.count('\n'), 2);
    EXPECT_EQ(permissionsOf(path), 0640u);
}

TEST(AppLogFileWriterTest, UnwritableLocationLosesLinesQuietly)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    // A file where a folder should be: the folder chain cannot be created.
    QFile blocker(root.path() + QStringLiteral("/Logs"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = root.path() + QStringLiteral("/Logs/Rarozezev.log");

    AppLogFileWriter writer(path);
    writer.write(QStringLiteral("error"), QStringLiteral("lost"));
    writer.prepareLogFile();
    EXPECT_FALSE(QFileInfo(path).exists());
}

TEST(AppLogFileWriterTest, RefusesToFollowASymbolicLinkInPlaceOfTheFile)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString victim = root.path() + QStringLiteral("/victim");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("untouched\n");
    }
    const QString path = root.path() + QStringLiteral("/Rarozezev.log");
    ASSERT_TRUE(QFile::link(victim, path));

    AppLogFileWriter writer(path);
    writer.write(QStringLiteral("error"), QStringLiteral("must not land in the victim"));
    writer.prepareLogFile();
    EXPECT_EQ(readFile(victim), QByteArray("untouched\n"));
}
