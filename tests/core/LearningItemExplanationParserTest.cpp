#include "models/LearningItemExplanationParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using Block = LearningItemExplanationBlock;
using Section = LearningItemExplanationSection;

std::ostream &operator<<(std::ostream &os, const Block &block)
{
    os << "{title: " << (block.title ? '"' + block.title->toStdString() + '"' : std::string("none")) << ", lines: [";
    for (const QString &line : block.lines) {
        os << '"' << line.toStdString() << "\" ";
    }
    return os << "]}";
}

std::ostream &operator<<(std::ostream &os, const Section &section)
{
    os << "{" << section.title.toStdString() << ": ";
    for (const Block &block : section.blocks) {
        os << block << ' ';
    }
    return os << "}";
}

} // namespace

void PrintTo(const Section &section, std::ostream *os) { *os << section; }

namespace {

struct SectionsCase {
    const char *name;
    QString text;
    QList<Section> expected;
};

void PrintTo(const SectionsCase &c, std::ostream *os) { *os << c.name; }

std::string caseName(const ::testing::TestParamInfo<SectionsCase> &param)
{
    return "case" + std::to_string(param.index);
}

class ExplanationSectionsTest : public ::testing::TestWithParam<SectionsCase> {};

TEST_P(ExplanationSectionsTest, ParsesStoredText)
{
    EXPECT_EQ(LearningItemExplanationParser::sections(GetParam().text), GetParam().expected);
}

const QString kMeaning = QStringLiteral("释义");

INSTANTIATE_TEST_SUITE_P(
    Headings, ExplanationSectionsTest,
    ::testing::Values(
        SectionsCase{"one section of list lines",
                     QStringLiteral("### 释义\n- 苹果\n- 苹果树"),
                     {Section{kMeaning, {Block{std::nullopt, {"苹果", "苹果树"}}}}}},
        SectionsCase{"indented headings and lines are trimmed",
                     QStringLiteral("  \t### 释义 \n\t- 苹果  "),
                     {Section{QStringLiteral("释义"), {Block{std::nullopt, {"苹果"}}}}}},
        SectionsCase{"lines before the first heading are dropped",
                     QStringLiteral("前言\n### 释义\n苹果"),
                     {Section{kMeaning, {Block{std::nullopt, {"苹果"}}}}}},
        SectionsCase{"a heading without content is skipped, not carried over to the next lines",
                     QStringLiteral("### 空\n\n### 释义\n苹果\n### 也空\n   "),
                     {Section{kMeaning, {Block{std::nullopt, {"苹果"}}}}}},
        SectionsCase{"a heading needs the space after the hashes",
                     QStringLiteral("### 释义\n###例句\n####不是标题"),
                     {Section{kMeaning, {Block{std::nullopt, {"###例句", "####不是标题"}}}}}},
        SectionsCase{"CR LF line breaks read like LF",
                     QStringLiteral("### 释义\r\n- 苹果\r\n\r\n- 水果"),
                     {Section{kMeaning, {Block{std::nullopt, {"苹果"}}, Block{std::nullopt, {"水果"}}}}}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Blocks, ExplanationSectionsTest,
    ::testing::Values(
        SectionsCase{"a bold line directly followed by lines titles the block",
                     QStringLiteral("### 释义\n**常见含义**\n- 苹果\n- 苹果公司"),
                     {Section{kMeaning, {Block{QStringLiteral("常见含义"), {"苹果", "苹果公司"}}}}}},
        SectionsCase{"a bold line followed by a blank line makes no block",
                     QStringLiteral("### 释义\n**常见含义**\n\n- 苹果\n- 苹果公司"),
                     {Section{kMeaning, {Block{std::nullopt, {"苹果", "苹果公司"}}}}}},
        SectionsCase{"a bold line inside a chunk is an ordinary line",
                     QStringLiteral("### 释义\n- 苹果\n**例句**\n- An apple a day."),
                     {Section{kMeaning, {Block{std::nullopt, {"苹果", "**例句**", "An apple a day."}}}}}},
        SectionsCase{"blank and white-space-only lines separate blocks",
                     QStringLiteral("### 释义\n- 甲\n \t \n**乙**\n- 丙\n\n\n- 丁"),
                     {Section{kMeaning,
                              {Block{std::nullopt, {"甲"}}, Block{QStringLiteral("乙"), {"丙"}},
                               Block{std::nullopt, {"丁"}}}}}},
        SectionsCase{"a bold marker shorter than five characters is not a title",
                     QStringLiteral("### 释义\n****\n- 甲"),
                     {Section{kMeaning, {Block{std::nullopt, {"****", "甲"}}}}}},
        SectionsCase{"only one list prefix is removed",
                     QStringLiteral("### 释义\n- - 甲\n-乙"),
                     {Section{kMeaning, {Block{std::nullopt, {"- 甲", "-乙"}}}}}}),
    caseName);

const QString kFallback = QStringLiteral("解释");

INSTANTIATE_TEST_SUITE_P(
    Fallback, ExplanationSectionsTest,
    ::testing::Values(
        SectionsCase{"text without headings becomes one section of its non-empty lines",
                     QStringLiteral("  - 苹果\n\n**常见含义**\n\t水果 "),
                     {Section{kFallback, {Block{std::nullopt, {"苹果", "**常见含义**", "水果"}}}}}},
        SectionsCase{"empty text gives one empty block", QString(), {Section{kFallback, {Block{}}}}},
        SectionsCase{"headings that yield no block fall back to every line, headings included",
                     QStringLiteral("### 释义\n**标题**\n\n### 例句"),
                     {Section{kFallback, {Block{std::nullopt, {"### 释义", "**标题**", "### 例句"}}}}}}),
    caseName);

TEST(ExplanationAppendBlockTest, AddsAtMostOneBlock)
{
    QList<Block> blocks{Block{std::nullopt, {"已有"}}};

    LearningItemExplanationParser::appendBlock({}, blocks);
    LearningItemExplanationParser::appendBlock({"  ", "\t"}, blocks);
    LearningItemExplanationParser::appendBlock({"**只有标题**"}, blocks);
    EXPECT_EQ(blocks.size(), 1);

    LearningItemExplanationParser::appendBlock({" **标题** ", "", "- 甲", "**乙**"}, blocks);
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks.last(), (Block{QStringLiteral("标题"), {"甲", "**乙**"}}));
}

} // namespace
