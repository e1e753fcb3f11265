#include "app/cli/CommandLineInterface.h"
#include "foundation/AppError.h"

#include "app/cli/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

CommandRun runCli(const QStringList &arguments)
{
    InMemoryCommandServices services;
    CapturedStreams streams;
    CommandLineInterface cli(streams.io(), services);
    return streams.finish(waitForTask(cli.run(arguments)));
}

} // namespace

TEST(CommandLineInterface, VersionHelpAndUnknownCommands)
{
    auto version = runCli({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("rarozezev ")));

    auto help = runCli({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("lookup")));

    auto unknown = runCli({QStringLiteral("--frobnicate")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("--frobnicate")));
}

TEST(CommandLineInterface, DispatchesToTheCommands)
{
    auto config = runCli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("ttsVoice")});
    EXPECT_EQ(config.exitCode, 0);
    EXPECT_EQ(config.out, QStringLiteral("alloy\n"));

    auto lookup = runCli({QStringLiteral("lookup"), QStringLiteral("--source=dictionary"), QStringLiteral("run")});
    EXPECT_EQ(lookup.exitCode, 1);
    EXPECT_EQ(lookup.err, QStringLiteral("系统词典没有找到释义。\n"));

    auto collection = runCli({QStringLiteral("collection"), QStringLiteral("list")});
    EXPECT_EQ(collection.exitCode, 0);
    EXPECT_EQ(collection.out, QStringLiteral("收藏中还没有内容。\n"));

    auto review = runCli({QStringLiteral("review"), QStringLiteral("due"), QStringLiteral("--format=json")});
    EXPECT_EQ(review.exitCode, 0);
    EXPECT_EQ(review.out.trimmed(), QStringLiteral("[\n]"));
}
