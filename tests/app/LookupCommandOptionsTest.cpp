#include "app/cli/LookupCommandOptions.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Options = LookupCommandOptions;

Options options(Options::Source source, Options::Pass pass, Options::Format format, bool useCache, QStringList words)
{
    Options o;
    o.source = source;
    o.pass = pass;
    o.format = format;
    o.useCache = useCache;
    o.words = std::move(words);
    return o;
}

TEST(LookupCommandOptions, ParsesOptionsAndText)
{
    using S = Options::Source;
    using P = Options::Pass;
    using F = Options::Format;
    struct Case {
        QStringList arguments;
        Options expected;
    };
    const Case cases[] = {
        {{}, options(S::ai, P::full, F::markdown, true, {})},
        {{"take", "off"}, options(S::ai, P::full, F::markdown, true, {"take", "off"})},
        {{"--pass", "fast", "--format=json", "run"}, options(S::ai, P::fast, F::json, true, {"run"})},
        // Options may follow the text.
        {{"run", "--no-cache"}, options(S::ai, P::full, F::markdown, false, {"run"})},
        {{"--source=dictionary", "serendipity"}, options(S::dictionary, P::full, F::markdown, true, {"serendipity"})},
        // After "--" everything is text, and a single dash is text anyway.
        {{"--", "--no-cache", "-"}, options(S::ai, P::full, F::markdown, true, {"--no-cache", "-"})},
        {{"-", "minus"}, options(S::ai, P::full, F::markdown, true, {"-", "minus"})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const auto parsed = Options::parse(c.arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<QString>(parsed).toStdString();
        EXPECT_TRUE(std::get<Options>(parsed) == c.expected);
    }
    EXPECT_TRUE(std::get<Options>(Options::parse({"--help"})).help);
}

TEST(LookupCommandOptions, RejectsWhatItCannotHonour)
{
    const QList<QStringList> invalid = {
        {"--source"},
        {"--source", "web", "run"},
        {"--pass=slow", "run"},
        {"--format", "html", "run"},
        {"--verbose", "run"},
        {"--source", "dictionary", "--pass", "fast", "run"},
        {"--source", "dictionary", "--no-cache", "run"},
    };
    for (const QStringList &arguments : invalid) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const auto parsed = Options::parse(arguments);
        ASSERT_TRUE(std::holds_alternative<QString>(parsed));
        EXPECT_FALSE(std::get<QString>(parsed).isEmpty());
    }
}

} // namespace
