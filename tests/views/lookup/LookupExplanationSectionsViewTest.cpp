#include "views/lookup/LookupExplanationSectionsView.h"

#include "support/TestSupport.h"
#include "views/lookup/LookupExplanationBlockView.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

TEST(LookupExplanationSectionsViewTest, ShowsTitlesBlocksAndLinesInOrderAsPlainTextAndReplacesThem)
{
    LookupExplanationSectionsView view;
    view.setSections({
        {QStringLiteral("释义（翻译）"),
         {LookupResultDisplayBlock(std::nullopt, {QStringLiteral("起飞")}),
          LookupResultDisplayBlock(std::nullopt, {QStringLiteral("脱下"), QStringLiteral("腾飞")})}},
        {QStringLiteral("语法或常用搭配讲解"),
         {LookupResultDisplayBlock(QStringLiteral("例句"), {QStringLiteral("<b>not bold</b> & co"),
                                                             QStringLiteral("Second example.")})}},
    });

    EXPECT_EQ(view.displayedTexts(),
              (QStringList{QStringLiteral("释义（翻译）"), QStringLiteral("起飞"), QStringLiteral("脱下"),
                           QStringLiteral("腾飞"), QStringLiteral("语法或常用搭配讲解"), QStringLiteral("例句"),
                           QStringLiteral("<b>not bold</b> & co"), QStringLiteral("Second example.")}));
    // Model text must never be read as markup.
    for (const QLabel *label : view.findChildren<QLabel *>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    }
    const QList<LookupExplanationBlockView *> blocks = view.findChildren<LookupExplanationBlockView *>();
    ASSERT_EQ(blocks.size(), 3);
    EXPECT_EQ(blocks.at(0)->titleLabel(), nullptr);
    EXPECT_EQ(blocks.at(2)->titleLabel()->text(), QStringLiteral("例句"));

    view.setSections({{QStringLiteral("系统词典"), {LookupResultDisplayBlock(QStringLiteral("释义"), {QStringLiteral("① fruit")})}}});
    EXPECT_EQ(view.displayedTexts(),
              (QStringList{QStringLiteral("系统词典"), QStringLiteral("释义"), QStringLiteral("① fruit")}));
    EXPECT_EQ(view.findChildren<LookupExplanationBlockView *>().size(), 1);

    view.setSections({});
    EXPECT_TRUE(view.displayedTexts().isEmpty());
}

} // namespace
