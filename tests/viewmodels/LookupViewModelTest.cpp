#include "viewmodels/LookupViewModel.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(LookupViewModelDetectItemType, ClassifiesByPunctuationThenWordCount)
{
    struct Case {
        QString text;
        LearningItemType expected;
    };
    const Case cases[] = {
        {QStringLiteral("run"), LearningItemType::word},
        {QStringLiteral("  \n\t "), LearningItemType::word},
        {QString(), LearningItemType::word},
        {QStringLiteral("\u00A0serendipity\u3000"), LearningItemType::word},
        {QStringLiteral("look up"), LearningItemType::phrase},
        {QStringLiteral("look\n\tup"), LearningItemType::phrase},
        {QStringLiteral("one two three four five six"), LearningItemType::phrase},
        {QStringLiteral("take it or leave it now please"), LearningItemType::sentence},
        {QStringLiteral("well-known"), LearningItemType::sentence},
        {QStringLiteral("don't"), LearningItemType::sentence},
        {QStringLiteral("Hello."), LearningItemType::sentence},
        {QStringLiteral("你好，world"), LearningItemType::sentence},
        {QStringLiteral("《book》"), LearningItemType::sentence},
        {QStringLiteral("wait—what"), LearningItemType::sentence},
        // Outside the basic plane: a punctuation mark and a letter given as surrogate pairs.
        {QStringLiteral("a\U0001E95Eb"), LearningItemType::sentence},
        {QStringLiteral("x \U0001D400"), LearningItemType::phrase},
        // Symbols are not punctuation.
        {QStringLiteral("$5 + 3"), LearningItemType::phrase},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(LookupViewModel::detectItemType(c.text), c.expected);
    }
}
