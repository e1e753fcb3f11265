#include "lookup/FastLookupResult.h"
#include "lookup/LookupResult.h"
#include "lookup/MarkdownExplanationParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using Block = LookupResultDisplayBlock;

namespace {

LookupResult dictionaryEntry(const QString &text, const QString &headword = "apple")
{
    LookupResult entry;
    entry.selectedText = headword;
    entry.source = LookupResultSource::systemDictionary;
    entry.contextualMeaning = text;
    return entry;
}

} // namespace

// A saved item stores the Markdown text and the review window reads it back, so the
// sections must come back exactly as the lookup panel showed them.
TEST(LookupResultDisplay, SectionsInOrderWrittenAsMarkdownThatReadsBackTheSame)
{
    using enum LearningItemType;
    const LookupResult full{"sample", word, LookupResultSource::ai, "/ˈsæmpl/", "样本", {"样品", "试用品"}, "noun",
                            {"free sample"}, {"Take a sample."}, "一个样本", {"可数名词"}, {"specimen"}};
    // Sentences never show a pronunciation; an empty translation is left out.
    const LookupResult sentenceResult{"s", sentence, LookupResultSource::ai, "/ˈsæmpl/", "样本", {"a"}, "adverb", {}, {},
                                      "", {"x", "y"}, {}};
    const LookupResult emptyPhonetic{"p", phrase, LookupResultSource::ai, "", "样本", {}, {}, {}, {}, {}, {}, {}};
    const std::pair<LookupResult, const char *> cases[] = {
        {full, "### 音标\n\n/ˈsæmpl/\n\n### 释义（翻译）\n\n样本\n\n- 样品\n- 试用品\n\n自然翻译：一个样本\n\n"
               "### 语法或常用搭配讲解\n\n**词性**\n\nnoun\n\n**常用搭配**\n\n- free sample\n\n"
               "**例句**\n\n- Take a sample.\n\n**用法提醒**\n\n- 可数名词\n\n**可替换表达**\n\n- specimen"},
        {sentenceResult,
         "### 释义（翻译）\n\n样本\n\na\n\n### 语法或常用搭配讲解\n\n**词性**\n\nadverb\n\n**用法提醒**\n\n- x\n- y"},
        {emptyPhonetic, "### 释义（翻译）\n\n样本"},
        {dictionaryEntry("Apple | ˈap(ə)l | ① the round fruit ② the tree"),
         "# apple\n\n### 音标\n\nˈap(ə)l\n\n### 系统词典\n\n**释义**\n\n- ① the round fruit\n- ② the tree"},
    };
    for (const auto &[c, markdown] : cases) {
        SCOPED_TRACE(markdown);
        EXPECT_EQ(c.markdownExplanation(), QString::fromUtf8(markdown));
        EXPECT_EQ(MarkdownExplanationParser::parse(c.markdownExplanation()), c.displaySections());
    }
    EXPECT_EQ(LookupResult::markdownLines(Block("词性", {"n.", "v."})), "- n.\n- v.");

    // Blank dictionary text is still shown as it is.
    const LookupResult blank = dictionaryEntry(" \n ");
    ASSERT_EQ(blank.displaySections().size(), 1);
    EXPECT_EQ(blank.displaySections()[0].blocks, QList<Block>{Block("释义", {" \n "})});
}

TEST(LookupResultDisplay, DictionaryTextIsSplitIntoPronunciationsAndSenses)
{
    const struct {
        const char *name;
        QString headword, text;
        LookupResult::SystemDictionaryDisplayParts expected;
    } cases[] = {
        {"another headword: the whole text, split at the circled numbers", "pear",
         "Apple | ˈap(ə)l | ① the round fruit ② the tree",
         {{}, {"Apple | ˈap(ə)l |", "① the round fruit", "② the tree"}}},
        {"no-break spaces, several pronunciations, later bars kept", "READ",
         "\u00A0read\u00A0|\u00A0riːd, rɛd ,\u00A0| to look | at words\n\n②second line",
         {{"riːd", "rɛd"}, {"to look | at words", "②second line"}}},
        {"without pronunciations: the headword and the senses", "take", "take | 中文：拿\n① verb: carry",
         {{}, {"中文：拿", "① verb: carry"}}},
        {"two pieces of another headword are all senses", "read", "rode | riːd", {{}, {"rode | riːd"}}},
        {"CR LF and blank lines", "x", "(a) ①first sense ②second sense\r\n\r\n  (b) other  ",
         {{}, {"(a)", "①first sense", "②second sense", "(b) other"}}},
        {"only a bare circled one to twenty starts a sense", "x", "a \u2460\u0301b \u2473c \u2474d",
         {{}, {"a \u2460\u0301b", "\u2473c \u2474d"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dictionaryEntry(c.text, c.headword).systemDictionaryDisplayParts(), c.expected);
    }
}

TEST(FastLookupResultDisplay, ShowsMeaningAndOnlyTheUsageBlocksItHas)
{
    FastLookupResult fast{"go", LearningItemType::word, "去", "走", "Go now.", QString()};
    EXPECT_EQ(LookupResult::markdown(fast.displaySections()),
              "### 释义（快速）\n\n- 去\n- 自然翻译：走\n\n### 简要用法\n\n**例句**\n\n- Go now.");
    fast.translation = std::nullopt;
    fast.example = std::nullopt;
    fast.briefUsageNote = "口语";
    EXPECT_EQ(LookupResult::markdown(fast.displaySections()),
              "### 释义（快速）\n\n去\n\n### 简要用法\n\n**用法提醒**\n\n- 口语");
}
