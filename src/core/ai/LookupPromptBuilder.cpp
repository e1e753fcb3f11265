#include "ai/LookupPromptBuilder.h"

namespace {

QString typeInstruction(LearningItemType itemType, const QString &phoneticInstruction)
{
    switch (itemType) {
    case LearningItemType::word:
        return QStringLiteral("这是一个单词。单词或短语需要给出音标；") + phoneticInstruction
               + QStringLiteral("。优先解释当前语境下的含义，再补充常见含义、词性、搭配、用法提醒和 1 到 2 个中高级例句。");
    case LearningItemType::phrase:
        return QStringLiteral("这是一个短语。单词或短语需要给出音标；") + phoneticInstruction
               + QStringLiteral("。先解释短语整体含义，再拆解必要单词，标注语域，并给出可替换表达。");
    case LearningItemType::sentence:
        // Sentences get no pronunciation, so the accent plays no part.
        return QStringLiteral("这是一个句子。句子不需要音标，phonetic 必须返回 null。提供自然中文翻译，拆解难点结构，标出值得收藏的表达，并在必要时给出更自然的表达。");
    }
    return {};
}

} // namespace

QString LookupPromptBuilder::fastPrompt(const QString &selectedText, const std::optional<QString> &contextBefore,
                                        const std::optional<QString> &contextAfter, LearningItemType itemType)
{
    return QStringLiteral("你是一个面向中文母语中高级英语学习者的英语学习助手。\n"
                          "请快速返回用户选中英文内容的核心解释，用于先展示给用户。\n"
                          "只输出 JSON，不要输出 Markdown 代码块。\n"
                          "\n上文：\n")
           + contextBefore.value_or(QString())
           + QStringLiteral("\n\n选中内容：\n")
           + selectedText
           + QStringLiteral("\n\n下文：\n")
           + contextAfter.value_or(QString())
           + QStringLiteral("\n\n"
                            "请只输出 JSON，结构如下：\n"
                            "可选字段没有内容时必须使用 JSON null。\n"
                            "{\n"
                            "  \"selectedText\": \"原文\",\n"
                            "  \"itemType\": \"")
           + rawValue(itemType)
           + QStringLiteral("\",\n"
                            "  \"primaryMeaning\": \"当前语境下最核心的中文释义\",\n"
                            "  \"translation\": null,\n"
                            "  \"example\": null,\n"
                            "  \"briefUsageNote\": null\n"
                            "}");
}

QString LookupPromptBuilder::prompt(const QString &selectedText, const std::optional<QString> &contextBefore,
                                    const std::optional<QString> &contextAfter, LearningItemType itemType,
                                    const QString &pronunciationAccent)
{
    return QStringLiteral("你是一个面向中文母语中高级英语学习者的英语学习助手。\n"
                          "请根据上下文解释用户选中的英文内容，不要只给通用词典释义。\n"
                          "\n")
           + typeInstruction(itemType, phoneticInstruction(pronunciationAccent))
           + QStringLiteral("\n\n上文：\n")
           + contextBefore.value_or(QString())
           + QStringLiteral("\n\n选中内容：\n")
           + selectedText
           + QStringLiteral("\n\n下文：\n")
           + contextAfter.value_or(QString())
           + QStringLiteral("\n\n"
                            "请只输出 JSON，结构如下：\n"
                            "可选字段没有内容时必须使用 JSON null；数组没有内容时使用 []；不要输出 Markdown 代码块。\n"
                            "{\n"
                            "  \"selectedText\": \"原文\",\n"
                            "  \"itemType\": \"")
           + rawValue(itemType)
           + QStringLiteral("\",\n"
                            "  \"phonetic\": null,\n"
                            "  \"contextualMeaning\": \"当前语境含义\",\n"
                            "  \"commonMeanings\": [\"常见含义\"],\n"
                            "  \"partOfSpeech\": null,\n"
                            "  \"collocations\": [\"搭配\"],\n"
                            "  \"examples\": [\"英文例句\"],\n"
                            "  \"translation\": null,\n"
                            "  \"usageNotes\": [\"用法提醒\"],\n"
                            "  \"suggestedExpressions\": [\"可替换表达\"]\n"
                            "}");
}

QString LookupPromptBuilder::phoneticInstruction(const QString &accent)
{
    // Only the exact setting value picks British IPA; anything else, even blank, is American.
    if (accent == QLatin1String("british"))
        return QStringLiteral("phonetic 返回英式发音音标（British English IPA）");
    return QStringLiteral("phonetic 返回美式发音音标（American English IPA）");
}
