#include "lookup/MarkdownExplanationParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using Block = LookupResultDisplayBlock;
using Section = LookupResultDisplaySection;

// Text as the learner may have edited it; what the lookup result writes itself is checked
// with the result's display.
TEST(MarkdownExplanationParser, ReadsSectionsBlocksAndLines)
{
    const QString meaning = "释义";
    const Block x(std::nullopt, {"x"});
    const struct {
        const char *name, *text;
        QList<Section> expected;
    } cases[] = {
        {"no heading: one section of all non-empty lines", "alpha\n\n  - beta  ",
         {{"解释", {Block(std::nullopt, {"alpha", "- beta"})}}}},
        {"blank text", " \n\t\n", {}},
        {"lines before the first heading are dropped", "preface\n\n### 释义\n\nx", {{meaning, {x}}}},
        {"four asterisks are a plain line", "### 释义\n\n****\n**t**\n\nx",
         {{meaning, {Block(std::nullopt, {"****"}), Block("t", {"x"})}}}},
        {"a title line closes the running block without a blank line", "### 释义\n- one\n**下一块**\n- two",
         {{meaning, {Block(std::nullopt, {"one"}), Block("下一块", {"two"})}}}},
        {"a heading without blocks yields nothing", "### 空\n\n### 释义\n\nx", {{meaning, {x}}}},
        {"only empty headings fall back to all lines", "### 空\n",
         {{"解释", {Block(std::nullopt, {"### 空"})}}}},
        {"a pending block title is dropped at the end", "### 释义\n\nx\n\n**孤立标题**\n\n", {{meaning, {x}}}},
        {"Windows line endings and indentation are trimmed", "  ### 释义\r\n\r\n  **例句**  \r\n\r\n  - alpha\r\n",
         {{meaning, {Block("例句", {"alpha"})}}}},
        {"heading text after the marker is kept as is; bare dash and hash lines are plain", "###  spaced\n\n- \n#x",
         {{" spaced", {Block(std::nullopt, {"-", "#x"})}}}},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MarkdownExplanationParser::parse(QString::fromUtf8(row.text)), row.expected);
    }
}
