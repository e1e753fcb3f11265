#include "foundation/AppEnvironment.h"
#include "foundation/BundleInfo.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using Channel = AppEnvironment::DistributionChannel;

TEST(BundleInfo, ParsesKeyValueLines)
{
    const BundleInfo info = BundleInfo::fromText("# build settings\n\nLQBetaAIBaseURL=https://api.example.com/v1?a=b\n"
                                                 "  LQBetaAIModel = gpt-4o-mini \r\n   # indented comment=ignored\n"
                                                 "no separator here\n=value without key\nEmpty=\nTwice=first\nTwice=second");
    // Split at the first '=' only; values keep their spaces for the reader to trim.
    EXPECT_EQ(info.values(), (QHash<QString, QString>{{"LQBetaAIBaseURL", "https://api.example.com/v1?a=b"},
                                                      {"LQBetaAIModel", " gpt-4o-mini "}, {"Empty", ""}, {"Twice", "second"}}));
}

TEST(AppEnvironment, BundleValuesCountOnlyWhenNotBlankOrUnexpanded)
{
    const BundleInfo info({{"Plain", "  value \n"}, {"Blank", " \t "}, {"Unexpanded", " $(LQ_BETA_KEY)"},
                           {"DollarOnly", "$5 plan"}});
    const std::pair<const char *, std::optional<QString>> cases[] = {
        {"Plain", "value"}, {"Blank", std::nullopt}, {"Unexpanded", std::nullopt}, {"Missing", std::nullopt},
        {"DollarOnly", "$5 plan"},
    };
    for (const auto &[key, expected] : cases)
        EXPECT_EQ(AppEnvironment::bundleTrimmedValue(QString::fromLatin1(key), info), expected) << key;

    // The beta channel needs all three service values.
    const auto bundle = [](const char *url, const char *model, const char *key) {
        QHash<QString, QString> values{{"LQBetaAIBaseURL", url}, {"LQBetaAIModel", model}};
        if (key)
            values.insert("LQBetaAIAPIKey", key);
        return BundleInfo(values);
    };
    EXPECT_EQ(AppEnvironment::distributionChannel(bundle("https://x/v1", "m", "sk")), Channel::beta);
    for (const BundleInfo &incomplete : {bundle("", "m", "sk"), bundle("https://x/v1", "  ", "sk"),
                                         bundle("https://x/v1", "m", "$(BETA_KEY)"), bundle("https://x/v1", "m", nullptr)})
        EXPECT_EQ(AppEnvironment::distributionChannel(incomplete), Channel::release);
}
