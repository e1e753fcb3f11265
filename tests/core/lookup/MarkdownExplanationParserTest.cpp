#include "lookup/MarkdownExplanationParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>

using Block = LookupResultDisplayBlock;
using Section = LookupResultDisplaySection;

static void PrintTo(const Section &section, std::ostream *os)
{
    *os << "### " << section.title.toStdString();
    for (const Block &block : section.blocks) {
        *os << " | " << (block.title ? "**" + block.title->toStdString() + "**" : std::string("(untitled)"));
        for (const QString &line : block.lines)
            *os << " [" << line.toStdString() << "]";
    }
}

struct ParserCase {
    const char *name;
    const char *text;
    QList<Section> expected;
};

TEST(MarkdownExplanationParserTest, ReadsSectionsBlocksAndLines)
{
    const QString definition = QStringLiteral("释义");
    const ParserCase cases[] = {
        {"titled block with dash lines",
         "### 释义\n**例句**\n\n- alpha\n- beta",
         {Section{definition, {Block(QStringLiteral("例句"), {QStringLiteral("alpha"), QStringLiteral("beta")})}}}},
        {"no heading: one section of all non-empty lines",
         "alpha\n\n  beta  ",
         {Section{QStringLiteral("解释"), {Block(std::nullopt, {QStringLiteral("alpha"), QStringLiteral("beta")})}}}},
        {"blank text", " \n\t\n", {}},
        {"lines before the first heading are dropped",
         "preface\n\n### 释义\n\nmeaning",
         {Section{definition, {Block(std::nullopt, {QStringLiteral("meaning")})}}}},
        {"four asterisks are a plain line",
         "### 释义\n\n****\n**x**\n\nline",
         {Section{definition,
                  {Block(std::nullopt, {QStringLiteral("****")}), Block(QStringLiteral("x"), {QStringLiteral("line")})}}}},
        {"single-line part of speech block keeps its line",
         "### 基本信息\n\n**词性**\n\nnoun\n\n**常见释义**\n\n- 银行\n- 河岸",
         {Section{QStringLiteral("基本信息"),
                  {Block(QStringLiteral("词性"), {QStringLiteral("noun")}),
                   Block(QStringLiteral("常见释义"), {QStringLiteral("银行"), QStringLiteral("河岸")})}}}},
        {"several sections with untitled and titled blocks",
         "### 当前语境\n\n在这里指河岸。\n\n### 例句\n\n**搭配**\n\n- river bank\n\n- We sat on the bank.",
         {Section{QStringLiteral("当前语境"), {Block(std::nullopt, {QStringLiteral("在这里指河岸。")})}},
          Section{QStringLiteral("例句"),
                  {Block(QStringLiteral("搭配"), {QStringLiteral("river bank")}),
                   Block(std::nullopt, {QStringLiteral("We sat on the bank.")})}}}},
        {"a title line closes the running block without a blank line",
         "### 释义\n- one\n**下一块**\n- two",
         {Section{definition,
                  {Block(std::nullopt, {QStringLiteral("one")}), Block(QStringLiteral("下一块"), {QStringLiteral("two")})}}}},
        {"heading without blocks yields nothing, later heading does",
         "### 空\n\n### 释义\n\nx",
         {Section{definition, {Block(std::nullopt, {QStringLiteral("x")})}}}},
        {"only headings without content fall back to all lines",
         "### 空\n",
         {Section{QStringLiteral("解释"), {Block(std::nullopt, {QStringLiteral("### 空")})}}}},
        {"a pending block title survives a blank line and is dropped at the end",
         "### 释义\n\nx\n\n**孤立标题**\n\n",
         {Section{definition, {Block(std::nullopt, {QStringLiteral("x")})}}}},
        {"Windows line endings and indentation are trimmed",
         "  ### 释义\r\n\r\n  **例句**  \r\n\r\n  - alpha\r\n",
         {Section{definition, {Block(QStringLiteral("例句"), {QStringLiteral("alpha")})}}}},
        {"heading text after the marker is kept as is",
         "###  spaced\n\nx",
         {Section{QStringLiteral(" spaced"), {Block(std::nullopt, {QStringLiteral("x")})}}}},
        {"a bare dash and a hash line are plain lines",
         "### 释义\n\n- \n#x",
         {Section{definition, {Block(std::nullopt, {QStringLiteral("-"), QStringLiteral("#x")})}}}},
    };
    for (const ParserCase &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MarkdownExplanationParser::parse(QString::fromUtf8(row.text)), row.expected);
    }
}

