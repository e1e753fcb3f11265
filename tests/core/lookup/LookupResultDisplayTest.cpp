#include "lookup/FastLookupResult.h"
#include "lookup/LookupResult.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using Block = LookupResultDisplayBlock;
using Section = LookupResultDisplaySection;

namespace {

LookupResult aiResult(LearningItemType type)
{
    LookupResult result;
    result.selectedText = QStringLiteral("sample");
    result.itemType = type;
    result.phonetic = QStringLiteral("/ˈsæmpl/");
    result.contextualMeaning = QStringLiteral("样本");
    return result;
}

LookupResult dictionaryResult(const QString &selectedText, const QString &text)
{
    LookupResult result;
    result.selectedText = selectedText;
    result.source = LookupResultSource::systemDictionary;
    result.contextualMeaning = text;
    return result;
}

} // namespace

TEST(LookupResultDisplay, AIResultShowsEverySectionInOrder)
{
    LookupResult result = aiResult(LearningItemType::word);
    result.commonMeanings = {QStringLiteral("样品"), QStringLiteral("试用品")};
    result.translation = QStringLiteral("一个样本");
    result.partOfSpeech = QStringLiteral("noun");
    result.collocations = {QStringLiteral("free sample")};
    result.examples = {QStringLiteral("Take a sample.")};
    result.usageNotes = {QStringLiteral("可数名词")};
    result.suggestedExpressions = {QStringLiteral("specimen")};

    const QList<Section> expected{
        {QStringLiteral("音标"), {Block(std::nullopt, {QStringLiteral("/ˈsæmpl/")})}},
        {QStringLiteral("释义（翻译）"),
         {Block(std::nullopt, {QStringLiteral("样本")}),
          Block(std::nullopt, {QStringLiteral("样品"), QStringLiteral("试用品")}),
          Block(std::nullopt, {QStringLiteral("自然翻译：一个样本")})}},
        {QStringLiteral("语法或常用搭配讲解"),
         {Block(QStringLiteral("词性"), {QStringLiteral("noun")}),
          Block(QStringLiteral("常用搭配"), {QStringLiteral("free sample")}),
          Block(QStringLiteral("例句"), {QStringLiteral("Take a sample.")}),
          Block(QStringLiteral("用法提醒"), {QStringLiteral("可数名词")}),
          Block(QStringLiteral("可替换表达"), {QStringLiteral("specimen")})}},
    };
    EXPECT_EQ(result.displaySections(), expected);
}

TEST(LookupResultDisplay, AIResultLeavesOutWhatIsEmptyOrNotForSentences)
{
    LookupResult sentence = aiResult(LearningItemType::sentence);
    sentence.translation = QString();
    const QList<Section> meaningOnly{{QStringLiteral("释义（翻译）"), {Block(std::nullopt, {QStringLiteral("样本")})}}};
    EXPECT_EQ(sentence.displaySections(), meaningOnly);

    LookupResult emptyPhonetic = aiResult(LearningItemType::phrase);
    emptyPhonetic.phonetic = QString();
    EXPECT_EQ(emptyPhonetic.displaySections(), meaningOnly);
}

TEST(LookupResultDisplay, DictionaryTextIsSplitIntoPronunciationAndSenses)
{
    const QString entry = QStringLiteral("Apple | ˈap(ə)l | ① the round fruit ② the tree");
    const LookupResult apple = dictionaryResult(QStringLiteral("apple"), entry);
    EXPECT_EQ(apple.displaySections(),
              (QList<Section>{{QStringLiteral("音标"), {Block(std::nullopt, {QStringLiteral("ˈap(ə)l")})}},
                              {QStringLiteral("系统词典"),
                               {Block(QStringLiteral("释义"),
                                      {QStringLiteral("① the round fruit"), QStringLiteral("② the tree")})}}}));

    // Another headword: no pronunciation, the whole text split at the circled numbers.
    EXPECT_EQ(dictionaryResult(QStringLiteral("pear"), entry).systemDictionaryDisplayParts(),
              (LookupResult::SystemDictionaryDisplayParts{
                  {}, {QStringLiteral("Apple | ˈap(ə)l |"), QStringLiteral("① the round fruit"),
                       QStringLiteral("② the tree")}}));

    struct Case {
        const char *name;
        QString text;
        LookupResult::SystemDictionaryDisplayParts expected;
    };
    const Case cases[] = {
        {"no-break spaces, several pronunciations, later bars kept",
         QStringLiteral("\u00A0read\u00A0|\u00A0riːd, rɛd ,\u00A0| to look | at words\n\n②second line"),
         {{QStringLiteral("riːd"), QStringLiteral("rɛd")},
          {QStringLiteral("to look | at words"), QStringLiteral("②second line")}}},
        {"two pieces are not an entry", QStringLiteral("read | riːd"), {{}, {QStringLiteral("read | riːd")}}},
        {"CR LF and blank lines", QStringLiteral("(a) ①first sense ②second sense\r\n\r\n  (b) other  "),
         {{}, {QStringLiteral("(a)"), QStringLiteral("①first sense"), QStringLiteral("②second sense"),
               QStringLiteral("(b) other")}}},
        {"only a bare circled one to twenty starts a sense", QStringLiteral("a \u2460\u0301b \u2473c \u2474d"),
         {{}, {QStringLiteral("a \u2460\u0301b"), QStringLiteral("\u2473c \u2474d")}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dictionaryResult(QStringLiteral("READ"), c.text).systemDictionaryDisplayParts(), c.expected);
    }
}

TEST(LookupResultDisplay, BlankDictionaryTextStillShowsTheRawText)
{
    const LookupResult blank = dictionaryResult(QStringLiteral("x"), QStringLiteral(" \n "));
    EXPECT_EQ(blank.displaySections(),
              (QList<Section>{{QStringLiteral("系统词典"), {Block(QStringLiteral("释义"), {QStringLiteral(" \n ")})}}}));
    EXPECT_TRUE(LookupResult::splitSystemDictionaryDefinitionLine(QStringLiteral("   ")).isEmpty());
}

TEST(LookupResultMarkdown, RendersSectionsBlocksAndLists)
{
    EXPECT_EQ(aiResult(LearningItemType::word).markdownExplanation(),
              QStringLiteral("### 音标\n\n/ˈsæmpl/\n\n### 释义（翻译）\n\n样本"));

    LookupResult result = aiResult(LearningItemType::sentence);
    result.commonMeanings = {QStringLiteral("a"), QStringLiteral("b")};
    result.partOfSpeech = QStringLiteral("noun");
    result.examples = {QStringLiteral("One.")};
    result.usageNotes = {QStringLiteral("x"), QStringLiteral("y")};
    EXPECT_EQ(result.markdownExplanation(),
              QStringLiteral("### 释义（翻译）\n\n样本\n\n- a\n- b\n\n"
                             "### 语法或常用搭配讲解\n\n**词性**\n\nnoun\n\n**例句**\n\n- One.\n\n"
                             "**用法提醒**\n\n- x\n- y"));

    EXPECT_EQ(LookupResult::markdownLines(Block(QStringLiteral("词性"), {QStringLiteral("n."), QStringLiteral("v.")})),
              QStringLiteral("- n.\n- v."));

    const LookupResult dictionary =
        dictionaryResult(QStringLiteral("apple"), QStringLiteral("apple | ˈap(ə)l | ① fruit"));
    EXPECT_EQ(dictionary.markdownExplanation(), QStringLiteral("### 音标\n\nˈap(ə)l\n\n### 系统词典\n\n**释义**\n\n- ① fruit"));
}

TEST(FastLookupResultDisplay, ShowsMeaningAndOnlyTheUsageBlocksItHas)
{
    FastLookupResult fast{QStringLiteral("go"), LearningItemType::word, QStringLiteral("去"), QStringLiteral("走"),
                          QStringLiteral("Go now."), QString()};
    EXPECT_EQ(fast.displaySections(),
              (QList<Section>{
                  {QStringLiteral("释义（快速）"),
                   {Block(std::nullopt, {QStringLiteral("去"), QStringLiteral("自然翻译：走")})}},
                  {QStringLiteral("简要用法"), {Block(QStringLiteral("例句"), {QStringLiteral("Go now.")})}}}));

    fast.translation = std::nullopt;
    fast.example = std::nullopt;
    fast.briefUsageNote = QStringLiteral("口语");
    EXPECT_EQ(fast.displaySections(),
              (QList<Section>{{QStringLiteral("释义（快速）"), {Block(std::nullopt, {QStringLiteral("去")})}},
                              {QStringLiteral("简要用法"), {Block(QStringLiteral("用法提醒"), {QStringLiteral("口语")})}}}));
}
