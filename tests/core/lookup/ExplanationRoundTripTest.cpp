// A saved item stores a result's Markdown text; the review window reads it back. What the
// learner reviews must be what the lookup panel showed.
#include "lookup/LookupResult.h"
#include "lookup/MarkdownExplanationParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

LookupResult fullWordResult()
{
    LookupResult result;
    result.selectedText = QStringLiteral("run");
    result.phonetic = QStringLiteral("/rʌn/");
    result.contextualMeaning = QStringLiteral("经营");
    result.commonMeanings = {QStringLiteral("跑"), QStringLiteral("运行")};
    result.partOfSpeech = QStringLiteral("verb");
    result.collocations = {QStringLiteral("run a business")};
    result.examples = {QStringLiteral("She runs a bakery."), QStringLiteral("The tap is running.")};
    result.translation = QStringLiteral("她经营一家面包店。");
    result.usageNotes = {QStringLiteral("及物用法")};
    result.suggestedExpressions = {QStringLiteral("manage")};
    return result;
}

LookupResult result(const QString &text, LearningItemType type, LookupResultSource source, const QString &meaning)
{
    LookupResult result;
    result.selectedText = text;
    result.itemType = type;
    result.source = source;
    result.contextualMeaning = meaning;
    return result;
}

// The writer separates every block with a blank line and the reader splits blocks there and
// drops the "- " prefixes, so the sections come back exactly.
TEST(ExplanationRoundTrip, ResultsReadBackAsTheirDisplaySections)
{
    LookupResult partOfSpeechOnly = result("well", LearningItemType::word, LookupResultSource::ai, "好地");
    partOfSpeechOnly.partOfSpeech = QStringLiteral("adverb");
    LookupResult sentence =
        result("It never rains but it pours.", LearningItemType::sentence, LookupResultSource::ai, "祸不单行");
    sentence.phonetic = QStringLiteral("/ignored/");
    const LookupResult cases[] = {
        fullWordResult(),
        partOfSpeechOnly,
        sentence,
        result("apple", LearningItemType::word, LookupResultSource::systemDictionary,
               "Apple | ˈæpəl | ① noun: the round fruit ② noun: the tree"),
    };
    for (const LookupResult &c : cases) {
        SCOPED_TRACE(c.selectedText.toStdString());
        EXPECT_EQ(MarkdownExplanationParser::parse(c.markdownExplanation()), c.displaySections());
    }

    // A part of speech is one plain line, never a list item.
    const QString markdown = partOfSpeechOnly.markdownExplanation();
    EXPECT_TRUE(markdown.contains(QStringLiteral("**词性**\n\nadverb")));
    EXPECT_FALSE(markdown.contains(QStringLiteral("- adverb")));
    EXPECT_EQ(sentence.displaySections().size(), 1) << "a sentence has no phonetic section";
}

} // namespace
