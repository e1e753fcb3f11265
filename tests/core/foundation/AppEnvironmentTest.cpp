#include "foundation/AppEnvironment.h"
#include "foundation/BundleInfo.h"

#include "support/TestSupport.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

using Channel = AppEnvironment::DistributionChannel;

static BundleInfo betaBundle(const QString &baseURL, const QString &model, const QString &apiKey)
{
    return BundleInfo({{QStringLiteral("LQBetaAIBaseURL"), baseURL},
                       {QStringLiteral("LQBetaAIModel"), model},
                       {QStringLiteral("LQBetaAIAPIKey"), apiKey}});
}

TEST(BundleInfoTest, ParsesKeyValueLines)
{
    const BundleInfo info = BundleInfo::fromText(QStringLiteral(
        "# build settings\n"
        "\n"
        "LQBetaAIBaseURL=https://api.example.com/v1?a=b\n"
        "  LQBetaAIModel = gpt-4o-mini \r\n"
        "   # indented comment=ignored\n"
        "no separator here\n"
        "=value without key\n"
        "Empty=\n"
        "Twice=first\n"
        "Twice=second"));

    // Split at the first '=' only; values keep their spaces for the reader to trim.
    EXPECT_EQ(info.value(QStringLiteral("LQBetaAIBaseURL")), QStringLiteral("https://api.example.com/v1?a=b"));
    EXPECT_EQ(info.value(QStringLiteral("LQBetaAIModel")), QStringLiteral(" gpt-4o-mini "));
    EXPECT_EQ(info.value(QStringLiteral("Empty")), QString());
    EXPECT_EQ(info.value(QStringLiteral("Twice")), QStringLiteral("second"));
    EXPECT_EQ(info.values().size(), 4);
    EXPECT_FALSE(info.value(QStringLiteral("# indented comment")).has_value());
}

TEST(AppEnvironmentTest, BundleTrimmedValueRejectsEmptyAndUnexpandedValues)
{
    const BundleInfo info({{QStringLiteral("Plain"), QStringLiteral("  value \n")},
                           {QStringLiteral("Blank"), QStringLiteral(" \t ")},
                           {QStringLiteral("Unexpanded"), QStringLiteral(" $(LQ_BETA_KEY)")},
                           {QStringLiteral("DollarOnly"), QStringLiteral("$5 plan")}});
    const std::pair<const char *, std::optional<QString>> cases[] = {
        {"Plain", QStringLiteral("value")}, {"Blank", std::nullopt},
        {"Unexpanded", std::nullopt},       {"Missing", std::nullopt},
        {"DollarOnly", QStringLiteral("$5 plan")},
    };
    for (const auto &[key, expected] : cases)
        EXPECT_EQ(AppEnvironment::bundleTrimmedValue(QString::fromLatin1(key), info), expected) << key;
}

TEST(AppEnvironmentTest, BetaChannelNeedsAllThreeServiceValues)
{
    const QString url = QStringLiteral("https://api.example.com/v1"), model = QStringLiteral("gpt-4o-mini");
    EXPECT_EQ(AppEnvironment::distributionChannel(betaBundle(url, model, QStringLiteral("sk-beta"))), Channel::beta);
    const BundleInfo incomplete[] = {
        betaBundle(QString(), model, QStringLiteral("sk-beta")),
        betaBundle(url, QStringLiteral("  "), QStringLiteral("sk-beta")),
        betaBundle(url, model, QStringLiteral("$(BETA_KEY)")),
        BundleInfo({{QStringLiteral("LQBetaAIBaseURL"), url}, {QStringLiteral("LQBetaAIModel"), model}}),
    };
    for (const BundleInfo &bundle : incomplete) {
        EXPECT_FALSE(AppEnvironment::hasBundledBetaServiceConfiguration(bundle));
        EXPECT_EQ(AppEnvironment::distributionChannel(bundle), Channel::release);
    }
}

TEST(AppEnvironmentTest, OnlyTheTestExecutablesMarkCountsNeverTheEnvironment)
{
    EXPECT_TRUE(AppEnvironment::isRunningTests());
    AppEnvironment::markRunningTests(false);
    qputenv("RAROZEZEV_TEST_HOST", "1");
    EXPECT_FALSE(AppEnvironment::isRunningTests());
    qunsetenv("RAROZEZEV_TEST_HOST");
    AppEnvironment::markRunningTests();
}
