#include "app/cli/LookupCommandOptions.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Options = LookupCommandOptions;

TEST(LookupCommandOptions, ParsesOptionsAndText)
{
    using S = Options::Source;
    using P = Options::Pass;
    using F = Options::Format;
    struct Case {
        QStringList arguments;
        S source;
        P pass;
        F format;
        bool useCache;
        bool save;
        QStringList words;
    };
    const Case cases[] = {
        {{}, S::ai, P::full, F::markdown, true, false, {}},
        {{"--pass", "fast", "--format=json", "take", "off"}, S::ai, P::fast, F::json, true, false, {"take", "off"}},
        {{"run", "--no-cache"}, S::ai, P::full, F::markdown, false, false, {"run"}},
        {{"--source=dictionary", "serendipity"}, S::dictionary, P::full, F::markdown, true, false, {"serendipity"}},
        {{"--save", "--pass=full", "--no-cache", "run"}, S::ai, P::full, F::markdown, false, true, {"run"}},
        // After "--" everything is text; a single dash is text anyway.
        {{"-", "--", "--no-cache"}, S::ai, P::full, F::markdown, true, false, {"-", "--no-cache"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const auto parsed = Options::parse(c.arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<QString>(parsed).toStdString();
        Options expected;
        expected.source = c.source;
        expected.pass = c.pass;
        expected.format = c.format;
        expected.useCache = c.useCache;
        expected.save = c.save;
        expected.words = c.words;
        EXPECT_TRUE(std::get<Options>(parsed) == expected);
    }
}

TEST(LookupCommandOptions, RejectsWhatItCannotHonour)
{
    const QList<QStringList> invalid = {
        {"--source"},           {"--source", "web", "run"}, {"--pass=slow", "run"}, {"--verbose", "run"},
        {"--source", "dictionary", "--pass", "fast", "run"},
        {"--selection", "run"}, {"--selection", "--", "run"}, {"--source", "dictionary", "--no-cache", "run"},
        // Only a full AI explanation is saved.
        {"--save", "--pass", "fast", "run"}, {"--source=dictionary", "--save", "run"},
    };
    for (const QStringList &arguments : invalid)
        EXPECT_TRUE(std::holds_alternative<QString>(Options::parse(arguments))) << arguments.join(' ').toStdString();
}

} // namespace
