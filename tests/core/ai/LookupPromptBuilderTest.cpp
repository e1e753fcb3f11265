#include "ai/LookupPromptBuilder.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(LookupPromptBuilder, BothPromptsPlaceTheSelectionBetweenItsContextAndNameTheType)
{
    for (LearningItemType type : kAllLearningItemTypes) {
        SCOPED_TRACE(rawValue(type).toStdString());
        for (const QString &prompt : {LookupPromptBuilder::prompt("look up", "Please ", " it.", type, "british"),
                                      LookupPromptBuilder::fastPrompt("look up", "Please ", " it.", type)}) {
            EXPECT_TRUE(prompt.contains("上文：\nPlease \n\n选中内容：\nlook up\n\n下文：\n it.\n\n"));
            EXPECT_TRUE(prompt.contains("\"itemType\": \"" + rawValue(type) + "\",\n"));
        }
    }
    // An absent context is an empty line.
    EXPECT_TRUE(LookupPromptBuilder::fastPrompt("x", std::nullopt, std::nullopt, LearningItemType::word)
                    .contains("上文：\n\n\n选中内容：\nx\n\n下文：\n\n\n"));
}

TEST(LookupPromptBuilder, TheFullPromptsItemLineFollowsTypeAndAccent)
{
    const std::tuple<LearningItemType, const char *, const char *, const char *> cases[] = {
        // type, accent, start of the item line, pronunciation asked for (none for sentences)
        {LearningItemType::word, "british", "这是一个单词。", "British English IPA"},
        {LearningItemType::word, "american", "这是一个单词。", "American English IPA"},
        {LearningItemType::phrase, "British", "这是一个短语。", "American English IPA"},
        {LearningItemType::phrase, "", "这是一个短语。", "American English IPA"},
        {LearningItemType::sentence, "british", "这是一个句子。", nullptr},
    };
    for (const auto &[type, accent, start, ipa] : cases) {
        SCOPED_TRACE(std::string(accent) + " " + rawValue(type).toStdString());
        const QString text = LookupPromptBuilder::prompt("x", std::nullopt, std::nullopt, type, accent);
        // The item line follows the two-line role statement.
        const QString itemLine = text.section("\n\n", 1, 1);
        EXPECT_TRUE(itemLine.startsWith(start)) << itemLine.toStdString();
        EXPECT_EQ(ipa ? itemLine.contains(ipa) : !text.contains("English IPA"), true);
    }
}
