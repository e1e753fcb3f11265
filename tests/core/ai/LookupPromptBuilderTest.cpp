#include "ai/LookupPromptBuilder.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The whole full prompt, written out as the model receives it; only the item line, the
// context and the item type differ between the cases.
QString fullPrompt(const QString &itemLine, const QString &before, const QString &selected, const QString &after,
                   const QString &type)
{
    return QStringLiteral(R"(你是一个面向中文母语中高级英语学习者的英语学习助手。
请根据上下文解释用户选中的英文内容，不要只给通用词典释义。

%1

上文：
%2

选中内容：
%3

下文：
%4

请只输出 JSON，结构如下：
可选字段没有内容时必须使用 JSON null；数组没有内容时使用 []；不要输出 Markdown 代码块。
{
  "selectedText": "原文",
  "itemType": "%5",
  "phonetic": null,
  "contextualMeaning": "当前语境含义",
  "commonMeanings": ["常见含义"],
  "partOfSpeech": null,
  "collocations": ["搭配"],
  "examples": ["英文例句"],
  "translation": null,
  "usageNotes": ["用法提醒"],
  "suggestedExpressions": ["可替换表达"]
})")
        .arg(itemLine, before, selected, after, type);
}

const QString kWordBritishLine = QStringLiteral(
    "这是一个单词。单词或短语需要给出音标；phonetic 返回英式发音音标（British English IPA）。"
    "优先解释当前语境下的含义，再补充常见含义、词性、搭配、用法提醒和 1 到 2 个中高级例句。");
const QString kPhraseAmericanLine = QStringLiteral(
    "这是一个短语。单词或短语需要给出音标；phonetic 返回美式发音音标（American English IPA）。"
    "先解释短语整体含义，再拆解必要单词，标注语域，并给出可替换表达。");
const QString kSentenceLine = QStringLiteral(
    "这是一个句子。句子不需要音标，phonetic 必须返回 null。"
    "提供自然中文翻译，拆解难点结构，标出值得收藏的表达，并在必要时给出更自然的表达。");

const QString kFastPhraseWithContext = QStringLiteral(R"(你是一个面向中文母语中高级英语学习者的英语学习助手。
请快速返回用户选中英文内容的核心解释，用于先展示给用户。
只输出 JSON，不要输出 Markdown 代码块。

上文：
Please 

选中内容：
look up

下文：
 the word.

请只输出 JSON，结构如下：
可选字段没有内容时必须使用 JSON null。
{
  "selectedText": "原文",
  "itemType": "phrase",
  "primaryMeaning": "当前语境下最核心的中文释义",
  "translation": null,
  "example": null,
  "briefUsageNote": null
})");

const QString kBritish = QStringLiteral("phonetic 返回英式发音音标（British English IPA）");
const QString kAmerican = QStringLiteral("phonetic 返回美式发音音标（American English IPA）");

} // namespace

TEST(LookupPromptBuilder, FullPromptsMatchTheTextForEachItemType)
{
    EXPECT_EQ(LookupPromptBuilder::prompt(QStringLiteral("run"), std::nullopt, std::nullopt, LearningItemType::word,
                                          QStringLiteral("british")),
              fullPrompt(kWordBritishLine, "", "run", "", "word"));
    EXPECT_EQ(LookupPromptBuilder::prompt(QStringLiteral("look up"), QStringLiteral("Please "),
                                          QStringLiteral(" the word."), LearningItemType::phrase,
                                          QStringLiteral("american")),
              fullPrompt(kPhraseAmericanLine, "Please ", "look up", " the word.", "phrase"));
    EXPECT_EQ(LookupPromptBuilder::prompt(QStringLiteral("It rains."), QString(), QString(),
                                          LearningItemType::sentence, QStringLiteral("british")),
              fullPrompt(kSentenceLine, "", "It rains.", "", "sentence"));
}

TEST(LookupPromptBuilder, FastPromptMatchesTheTextAndNamesTheItemType)
{
    EXPECT_EQ(LookupPromptBuilder::fastPrompt(QStringLiteral("look up"), QStringLiteral("Please "),
                                              QStringLiteral(" the word."), LearningItemType::phrase),
              kFastPhraseWithContext);

    for (LearningItemType type : kAllLearningItemTypes) {
        const QString fast = LookupPromptBuilder::fastPrompt(QStringLiteral("x"), std::nullopt, std::nullopt, type);
        EXPECT_TRUE(fast.contains(QStringLiteral("\"itemType\": \"") + rawValue(type) + QStringLiteral("\",\n")));
    }
}

TEST(LookupPromptBuilder, AccentPicksThePhoneticInstructionOnlyForWordsAndPhrases)
{
    struct Case {
        LearningItemType type;
        const char *accent;
        std::optional<QString> instruction;
    };
    const Case cases[] = {
        {LearningItemType::word, "british", kBritish},
        {LearningItemType::word, "american", kAmerican},
        {LearningItemType::phrase, "British", kAmerican},
        {LearningItemType::phrase, "", kAmerican},
        {LearningItemType::word, "australian", kAmerican},
        {LearningItemType::sentence, "british", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.accent) + " " + rawValue(c.type).toStdString());
        const QString text = LookupPromptBuilder::prompt(QStringLiteral("x"), std::nullopt, std::nullopt, c.type,
                                                         QString::fromUtf8(c.accent));
        if (c.instruction) {
            EXPECT_TRUE(text.contains(QStringLiteral("需要给出音标；") + *c.instruction + QStringLiteral("。")));
        } else {
            EXPECT_FALSE(text.contains(kBritish));
            EXPECT_FALSE(text.contains(kAmerican));
            EXPECT_TRUE(text.contains(QStringLiteral("phonetic 必须返回 null。")));
        }
    }
}
