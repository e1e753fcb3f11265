#include "collection/LearningItemExplanationParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Block = LearningItemExplanationBlock;
using Section = LearningItemExplanationSection;

TEST(ExplanationSectionsTest, ParsesStoredText)
{
    const QString kMeaning = QStringLiteral("释义");
    const QString kFallback = QStringLiteral("解释");
    struct Row {
        const char *name;
        QString text;
        QList<Section> expected;
    };
    const Row rows[] = {
        // Sections
        {"indented headings and lines are trimmed; lines before the first heading are dropped",
         QStringLiteral("前言\n  \t### 释义 \n\t- 苹果  "), {Section{kMeaning, {Block{std::nullopt, {"苹果"}}}}}},
        {"a heading without content is skipped, not carried over to the next lines",
         QStringLiteral("### 空\n\n### 释义\n苹果\n### 也空\n   "),
         {Section{kMeaning, {Block{std::nullopt, {"苹果"}}}}}},
        {"a heading needs the space after the hashes", QStringLiteral("### 释义\n###例句\n####不是"),
         {Section{kMeaning, {Block{std::nullopt, {"###例句", "####不是"}}}}}},
        {"CR LF line breaks read like LF; blank lines separate blocks",
         QStringLiteral("### 释义\r\n- 苹果\r\n\r\n- 水果"),
         {Section{kMeaning, {Block{std::nullopt, {"苹果"}}, Block{std::nullopt, {"水果"}}}}}},
        // Blocks
        {"a bold line directly followed by lines titles the block",
         QStringLiteral("### 释义\n**常见含义**\n- 苹果\n- 苹果公司"),
         {Section{kMeaning, {Block{QStringLiteral("常见含义"), {"苹果", "苹果公司"}}}}}},
        {"a bold line followed by a blank line makes no block",
         QStringLiteral("### 释义\n**常见含义**\n\n- 苹果\n- 苹果公司"),
         {Section{kMeaning, {Block{std::nullopt, {"苹果", "苹果公司"}}}}}},
        {"only blank lines separate blocks; a bold line inside a chunk is ordinary",
         QStringLiteral("### 释义\n- 甲\n**例句**\n \t \n**乙**\n- 丙\n\n\n- - 丁"),
         {Section{kMeaning,
                  {Block{std::nullopt, {"甲", "**例句**"}}, Block{QStringLiteral("乙"), {"丙"}},
                   Block{std::nullopt, {"- 丁"}}}}}},
        {"a bold marker shorter than five characters is not a title", QStringLiteral("### 释义\n****\n- 甲"),
         {Section{kMeaning, {Block{std::nullopt, {"****", "甲"}}}}}},
        // Fallback
        {"text without headings becomes one section of its non-empty lines",
         QStringLiteral("  - 苹果\n\n**常见含义**\n\t水果 "),
         {Section{kFallback, {Block{std::nullopt, {"苹果", "**常见含义**", "水果"}}}}}},
        {"empty text gives one empty block", QString(), {Section{kFallback, {Block{}}}}},
        {"headings that yield no block fall back to every line, headings included",
         QStringLiteral("### 释义\n**标题**\n\n### 例句"),
         {Section{kFallback, {Block{std::nullopt, {"### 释义", "**标题**", "### 例句"}}}}}},
    };
    for (const Row &row : rows)
        EXPECT_TRUE(LearningItemExplanationParser::sections(row.text) == row.expected) << row.name;
}

} // namespace
