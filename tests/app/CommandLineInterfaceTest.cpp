#include "app/cli/CommandLineInterface.h"
#include "app/cli/CommandServices.h"
#include "services/AIClient.h"
#include "services/AppPreferences.h"
#include "services/InMemoryAPIKeyStore.h"
#include "services/InMemoryUserDefaults.h"
#include "services/NoOpLookupResultCache.h"
#include "services/NoOpSystemDictionaryClient.h"
#include "utilities/AppError.h"

#include "app/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class UnconfiguredAIClient : public AIClient {
public:
    QCoro::Task<LookupResult> lookup(QString, std::optional<QString>, std::optional<QString>, LearningItemType,
                                     UserSettings, CancellationToken) override
    {
        throw AppError::invalidAISettings();
        co_return LookupResult();
    }
    QCoro::Task<FastLookupResult> fastLookup(QString, std::optional<QString>, std::optional<QString>, LearningItemType,
                                             UserSettings, CancellationToken) override
    {
        throw AppError::invalidAISettings();
        co_return FastLookupResult();
    }
};

struct InMemoryCommandServices : CommandServices {
    AppPreferencesStoring &preferences() override { return prefs; }
    AIClient &aiClient() override { return ai; }
    LookupResultCaching &lookupResultCache() override { return cache; }
    const SystemDictionaryLookingUp &systemDictionary() override { return dictionary; }
    std::optional<QString> aiAPIKeyOverride() override { return std::nullopt; }

    UnconfiguredAIClient ai;
    NoOpLookupResultCache cache;
    NoOpSystemDictionaryClient dictionary;
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

TEST(CommandLineInterface, DispatchesToTheCommands)
{
    auto config = runCli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("ttsVoice")});
    EXPECT_EQ(config.exitCode, 0);
    EXPECT_EQ(config.out, QStringLiteral("alloy\n"));

    auto lookup = runCli({QStringLiteral("lookup"), QStringLiteral("run")});
    EXPECT_EQ(lookup.exitCode, 1);
    EXPECT_EQ(lookup.err, AppError::invalidAISettings().errorDescription() + QLatin1Char('\n'));
}
