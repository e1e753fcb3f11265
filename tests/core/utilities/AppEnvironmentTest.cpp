#include "utilities/AppEnvironment.h"
#include "utilities/BundleInfo.h"

#include "support/TestSupport.h"

#include <QByteArray>

#include <gtest/gtest.h>

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
    EXPECT_EQ(AppEnvironment::bundleTrimmedValue(QStringLiteral("Plain"), info), QStringLiteral("value"));
    EXPECT_FALSE(AppEnvironment::bundleTrimmedValue(QStringLiteral("Blank"), info).has_value());
    EXPECT_FALSE(AppEnvironment::bundleTrimmedValue(QStringLiteral("Unexpanded"), info).has_value());
    EXPECT_FALSE(AppEnvironment::bundleTrimmedValue(QStringLiteral("Missing"), info).has_value());
    EXPECT_EQ(AppEnvironment::bundleTrimmedValue(QStringLiteral("DollarOnly"), info), QStringLiteral("$5 plan"));
}

TEST(AppEnvironmentTest, BetaChannelNeedsAllThreeServiceValues)
{
    const QString url = QStringLiteral("https://api.example.com/v1");
    const QString model = QStringLiteral("gpt-4o-mini");
    const QString key = QStringLiteral("sk-beta");

    EXPECT_TRUE(AppEnvironment::hasBundledBetaServiceConfiguration(betaBundle(url, model, key)));
    EXPECT_EQ(AppEnvironment::distributionChannel(betaBundle(url, model, key)), Channel::beta);

    EXPECT_EQ(AppEnvironment::distributionChannel(betaBundle(QString(), model, key)), Channel::release);
    EXPECT_EQ(AppEnvironment::distributionChannel(betaBundle(url, QStringLiteral("  "), key)), Channel::release);
    EXPECT_EQ(AppEnvironment::distributionChannel(betaBundle(url, model, QStringLiteral("$(BETA_KEY)"))),
              Channel::release);
    EXPECT_EQ(AppEnvironment::distributionChannel(BundleInfo({{QStringLiteral("LQBetaAIBaseURL"), url},
                                                              {QStringLiteral("LQBetaAIModel"), model}})),
              Channel::release);
}

TEST(AppEnvironmentTest, TestHostIsDetectedFromTheEnvironment)
{
    const bool wasSet = qEnvironmentVariableIsSet("RAROZEZEV_TEST_HOST");
    const QByteArray saved = qgetenv("RAROZEZEV_TEST_HOST");

    qputenv("RAROZEZEV_TEST_HOST", "1");
    EXPECT_TRUE(AppEnvironment::isRunningTests());
    qputenv("RAROZEZEV_TEST_HOST", "yes");
    EXPECT_TRUE(AppEnvironment::isRunningTests());
    qputenv("RAROZEZEV_TEST_HOST", "0");
    EXPECT_FALSE(AppEnvironment::isRunningTests());
    qputenv("RAROZEZEV_TEST_HOST", "");
    EXPECT_FALSE(AppEnvironment::isRunningTests());
    qunsetenv("RAROZEZEV_TEST_HOST");
    EXPECT_FALSE(AppEnvironment::isRunningTests());

    if (wasSet)
        qputenv("RAROZEZEV_TEST_HOST", saved);
}
