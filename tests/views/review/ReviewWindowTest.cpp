#include "views/review/ReviewWindow.h"

#include "support/TestSupport.h"
#include "support/fakes/FakeLearningItemStore.h"
#include "views/common/ContentUnavailableView.h"
#include "views/lookup/LookupExplanationSectionsView.h"
#include "views/support/WindowLegibility.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ReviewWindowTest, ShowsACardRevealsItsAnswerAndGradesItByMouseOrKeyboard)
{
    FakeLearningItemStore store;
    store.items = {makeLearningItem(QStringLiteral("take off"), LearningItemType::phrase),
                   makeLearningItem(QStringLiteral("look up to"), LearningItemType::phrase)};
    store.items[0]->explanation = QStringLiteral("### 释义\n\n- （飞机）起飞");
    ReviewWindow window([&] { return std::make_unique<ForwardingStore>(store); },
                        std::make_unique<ReviewViewModel>([](int) { return 0; }));
    window.show();
    EXPECT_EQ(window.textLabel()->text(), QStringLiteral("take off"));
    EXPECT_FALSE(window.explanationScrollArea()->isVisible());
    window.gradeButtons().at(2)->click();
    EXPECT_TRUE(store.reviews.empty()) << "no grade before the answer is shown";

    window.showAnswerButton()->click();
    EXPECT_TRUE(window.explanationScrollArea()->isVisible());
    EXPECT_TRUE(window.explanationView()->displayedTexts().contains(QStringLiteral("（飞机）起飞")));
    expectLegibleInBothSchemes(&window);
    window.gradeButtons().at(2)->click();
    ASSERT_EQ(store.reviews.size(), 1u);
    EXPECT_EQ(store.reviews[0].result, ReviewResult::good);
    EXPECT_EQ(window.textLabel()->text(), QStringLiteral("look up to"));

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_1);
    ASSERT_EQ(store.reviews.size(), 2u);
    EXPECT_EQ(store.reviews[1].result, ReviewResult::forgot);
    EXPECT_TRUE(window.placeholder()->isVisible()) << "the last answer ends the session";
}

} // namespace
