#include "views/lookup/LookupTextField.h"

#include "support/TestSupport.h"
#include "views/lookup/AutoSizingLookupTextView.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(LookupTextFieldFontSize, ShrinksAsTheTrimmedTextGrows)
{
    const std::pair<QString, int> cases[] = {
        {QString(), 22},
        {QString(79, u'a'), 22},
        {QString(80, u'a'), 20},
        {QString(139, u'a'), 20},
        {QString(140, u'a'), 18},
        // Surrounding whitespace is not counted.
        {QString(20, u' ') + QString(79, u'a') + QStringLiteral("\n\n"), 22},
        // A letter with a combining accent is one character to the reader.
        {QStringLiteral("e\u0301").repeated(79), 22},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(LookupTextField::fontSize(text), expected) << text.size() << " characters";
}

class LookupTextFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        field.setFixedWidth(400);
        field.show();
    }

    int fieldHeight() const { return field.textView()->height(); }

    LookupTextField field;
};

TEST_F(LookupTextFieldTest, GrowsWithItsLinesFromOneLineToTheCapThenScrolls)
{
    const int oneLine = fieldHeight();
    EXPECT_GE(oneLine, AutoSizingLookupTextView::kMinimumHeight);
    EXPECT_LT(oneLine, 2 * AutoSizingLookupTextView::kMinimumHeight);
    EXPECT_FALSE(field.textView()->verticalScrollBar()->isVisible());

    field.setText(QStringLiteral("first line\nsecond line\nthird line"));
    const int threeLines = fieldHeight();
    EXPECT_GT(threeLines, oneLine);
    EXPECT_LE(threeLines, AutoSizingLookupTextView::kMaximumHeight);

    field.setText(QStringLiteral("a line\n").repeated(20));
    EXPECT_EQ(fieldHeight(), AutoSizingLookupTextView::kMaximumHeight);
    EXPECT_GT(field.textView()->contentHeight(), AutoSizingLookupTextView::kMaximumHeight);
    EXPECT_TRUE(field.textView()->verticalScrollBar()->isVisible());

    field.setText(QStringLiteral("short"));
    EXPECT_EQ(fieldHeight(), oneLine);

    // A long line wraps at the field's width.
    field.setText(QStringLiteral("a rather long sentence that cannot possibly fit on one line of this field"));
    EXPECT_GT(fieldHeight(), AutoSizingLookupTextView::kMinimumHeight + 10);
}

TEST_F(LookupTextFieldTest, ReturnSubmitsTheTextAsItIsAndNeverInsertsANewline)
{
    QSignalSpy submitted(&field, &LookupTextField::submitted);
    QTest::keyClicks(field.textView(), QStringLiteral(" look up "));
    QTest::keyClick(field.textView(), Qt::Key_Return);
    QTest::keyClick(field.textView(), Qt::Key_Enter);
    QTest::keyClick(field.textView(), Qt::Key_Return, Qt::ShiftModifier);

    ASSERT_EQ(submitted.size(), 3);
    EXPECT_EQ(submitted.front().front().toString(), QStringLiteral(" look up "));
    EXPECT_EQ(field.text(), QStringLiteral(" look up "));
}

TEST_F(LookupTextFieldTest, TheFontFollowsTheTextAsItIsTyped)
{
    EXPECT_EQ(field.textView()->font().pixelSize(), 22);
    field.setText(QString(150, u'a'));
    EXPECT_EQ(field.textView()->font().pixelSize(), 18);
    field.setText(QString(10, u'a'));
    EXPECT_EQ(field.textView()->font().pixelSize(), 22);
}

} // namespace
