// A saved item stores a result's Markdown text; the review window reads it back. What the
// learner reviews must be what the lookup panel showed.
#include "models/LookupResult.h"
#include "models/MarkdownExplanationParser.h"

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

// The writer separates every block with a blank line and the reader splits blocks there and
// drops the "- " prefixes, so the sections come back exactly.
TEST(ExplanationRoundTrip, AIResultReadsBackAsItsDisplaySections)
{
    const LookupResult result = fullWordResult();
    EXPECT_EQ(MarkdownExplanationParser::parse(result.markdownExplanation()), result.displaySections());
}

TEST(ExplanationRoundTrip, PartOfSpeechLineKeepsNoPrefixBothWays)
{
    LookupResult result;
    result.selectedText = QStringLiteral("well");
    result.contextualMeaning = QStringLiteral("好地");
    result.partOfSpeech = QStringLiteral("adverb");
    const QString markdown = result.markdownExplanation();
    EXPECT_TRUE(markdown.contains(QStringLiteral("**词性**\n\nadverb")));
    EXPECT_FALSE(markdown.contains(QStringLiteral("- adverb")));
    EXPECT_EQ(MarkdownExplanationParser::parse(markdown), result.displaySections());
}

TEST(ExplanationRoundTrip, DictionaryResultReadsBackAsItsDisplaySections)
{
    LookupResult result;
    result.selectedText = QStringLiteral("apple");
    result.source = LookupResultSource::systemDictionary;
    result.contextualMeaning = QStringLiteral("Apple | ˈæpəl | ① noun: the round fruit ② noun: the tree");
    EXPECT_EQ(MarkdownExplanationParser::parse(result.markdownExplanation()), result.displaySections());
}

TEST(ExplanationRoundTrip, SentenceWithoutPhoneticSectionSurvives)
{
    LookupResult result;
    result.selectedText = QStringLiteral("It never rains but it pours.");
    result.itemType = LearningItemType::sentence;
    result.phonetic = QStringLiteral("/ignored/");
    result.contextualMeaning = QStringLiteral("祸不单行");
    const auto sections = MarkdownExplanationParser::parse(result.markdownExplanation());
    ASSERT_EQ(sections.size(), 1);
    EXPECT_EQ(sections.first().title, QStringLiteral("释义（翻译）"));
    EXPECT_EQ(sections, result.displaySections());
}

} // namespace
