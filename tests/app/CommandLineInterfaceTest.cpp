#include "app/cli/CommandLineInterface.h"
#include "app/cli/CommandServices.h"
#include "services/AppPreferences.h"
#include "services/InMemoryAPIKeyStore.h"
#include "services/InMemoryUserDefaults.h"

#include "app/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct InMemoryCommandServices : CommandServices {
    AppPreferencesStoring &preferences() override { return prefs; }

    InMemoryUserDefaults defaults;
    AppPreferences prefs{defaults, std::make_shared<InMemoryAPIKeyStore>(), std::make_shared<InMemoryAPIKeyStore>(),
                         BundleInfo()};
};

struct Run {
    int exitCode;
    QString out;
    QString err;
};

Run runCli(const QStringList &arguments)
{
    InMemoryCommandServices services;
    CapturedStreams streams;
    CommandLineInterface cli(streams.io(), services);
    const int exitCode = waitForTask(cli.run(arguments));
    return {exitCode, streams.out(), streams.err()};
}

} // namespace

TEST(CommandLineInterface, VersionAndHelpSucceed)
{
    auto version = runCli({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("rarozezev ")));

    auto help = runCli({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("用法")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("config")));
}

TEST(CommandLineInterface, UnknownCommandIsAUsageError)
{
    auto run = runCli({QStringLiteral("--frobnicate")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("--frobnicate")));
}

TEST(CommandLineInterface, DispatchesToTheCommand)
{
    auto run = runCli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("ttsVoice")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("alloy\n"));
}
