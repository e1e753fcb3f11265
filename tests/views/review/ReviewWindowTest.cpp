#include "views/review/ReviewWindow.h"

#include "support/TestSupport.h"
#include "support/fakes/FakeLearningItemStore.h"
#include "views/common/ContentUnavailableView.h"
#include "views/lookup/LookupExplanationSectionsView.h"
#include "views/review/ReviewWindowController.h"
#include "views/ViewTestSupport.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<LearningItem> item(const QString &text, const QString &explanation)
{
    std::shared_ptr<LearningItem> made = makeLearningItem(text, LearningItemType::phrase);
    made->explanation = explanation;
    return made;
}

class ReviewWindowTest : public ::testing::Test {
protected:
    void TearDown() override { delete m_window.data(); }

    ReviewWindow *open()
    {
        m_window = new ReviewWindow([this] { return std::make_unique<ForwardingStore>(store); },
                                    std::make_unique<ReviewViewModel>([](int) { return 0; }));
        m_window->show();
        return m_window;
    }
    void fill()
    {
        store.items = {item(QStringLiteral("take off"),
                            QStringLiteral("### 释义\n\n**语境义**\n- （飞机）起飞\n\n**常见义**\n- 脱下（衣物）\n"
                                           "- 突然成功\n\n### 例句\n\n- The plane took off on time.")),
                       item(QStringLiteral("look up to"), QStringLiteral("### 释义\n\n- 尊敬；仰慕"))};
    }
    QStringList gradeTitles() const
    {
        QStringList titles;
        for (const QPushButton *button : m_window->gradeButtons()) {
            titles.append(button->text());
        }
        return titles;
    }
    qsizetype enabledGrades() const
    {
        const auto &buttons = m_window->gradeButtons();
        return std::count_if(buttons.cbegin(), buttons.cend(), [](const QPushButton *b) { return b->isEnabled(); });
    }
    void screenshot(const QString &name)
    {
        QTest::qWait(30);
        saveScreenshot(m_window, name);
    }

    FakeLearningItemStore store;
    QPointer<ReviewWindow> m_window;
};

TEST_F(ReviewWindowTest, WithNothingDueOrAFailedLoadThePlaceholderOffersToLoadAgain)
{
    ReviewWindow *window = open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("复习"));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->windowType(), Qt::Tool);
    ASSERT_EQ(store.dueQueries.size(), 1u) << "the window loads when shown";
    ContentUnavailableView *placeholder = window->placeholder();
    EXPECT_TRUE(placeholder->isVisible());
    EXPECT_EQ(placeholder->title(), QStringLiteral("今天没有待复习内容"));
    EXPECT_EQ(placeholder->description(), QStringLiteral("先在查词结果中保存单词，或稍后再来复习。"));
    EXPECT_EQ(placeholder->symbolName(), QStringLiteral("checkmark.circle"));
    EXPECT_EQ(placeholder->actionButton()->text(), QStringLiteral("重新加载"));
    screenshot(QStringLiteral("review-empty"));

    store.failReading = true;
    placeholder->actionButton()->click();
    EXPECT_EQ(store.dueQueries.size(), 2u);
    EXPECT_EQ(placeholder->title(), QStringLiteral("复习内容加载失败"));
    EXPECT_EQ(placeholder->description(), QStringLiteral("待复习内容加载失败。"));
    EXPECT_EQ(placeholder->symbolName(), QStringLiteral("exclamationmark.triangle"));
    screenshot(QStringLiteral("review-load-failed"));

    store.failReading = false;
    fill();
    placeholder->actionButton()->click();
    EXPECT_FALSE(placeholder->isVisible());
    EXPECT_EQ(window->textLabel()->text(), QStringLiteral("take off"));
}

TEST_F(ReviewWindowTest, ASessionRevealsGradesAndMovesOnUntilTheQueueIsDone)
{
    fill();
    ReviewWindow *window = open();
    EXPECT_EQ(window->textLabel()->text(), QStringLiteral("take off"));
    EXPECT_TRUE(visibleTexts(window).contains(QStringLiteral("复习")));
    EXPECT_TRUE(window->showAnswerButton()->isVisible());
    EXPECT_TRUE(window->rememberButton()->isVisible());
    EXPECT_EQ(window->rememberButton()->text(), QStringLiteral("记住，下一个"));
    EXPECT_FALSE(window->explanationScrollArea()->isVisible());
    EXPECT_EQ(gradeTitles(), (QStringList{QStringLiteral("忘记"), QStringLiteral("困难"), QStringLiteral("良好"),
                                          QStringLiteral("简单")}));
    EXPECT_EQ(enabledGrades(), 0);
    EXPECT_FALSE(window->errorLabel()->isVisible());
    screenshot(QStringLiteral("review-question"));

    window->gradeButtons().at(2)->click();
    EXPECT_TRUE(store.reviews.empty()) << "no grading before the answer is shown";

    window->showAnswerButton()->click();
    EXPECT_FALSE(window->showAnswerButton()->isVisible());
    EXPECT_TRUE(window->explanationScrollArea()->isVisible());
    EXPECT_EQ(enabledGrades(), 4);
    // The review window's reader keeps the bold block titles.
    EXPECT_EQ(window->explanationView()->displayedTexts(),
              (QStringList{QStringLiteral("释义"), QStringLiteral("语境义"), QStringLiteral("（飞机）起飞"),
                           QStringLiteral("常见义"), QStringLiteral("脱下（衣物）"), QStringLiteral("突然成功"),
                           QStringLiteral("例句"), QStringLiteral("The plane took off on time.")}));
    screenshot(QStringLiteral("review-answer"));

    window->gradeButtons().at(2)->click();
    ASSERT_EQ(store.reviews.size(), 1u);
    EXPECT_EQ(store.reviews.back().result, ReviewResult::good);
    EXPECT_EQ(store.reviews.back().item->text, QStringLiteral("take off"));
    EXPECT_EQ(window->textLabel()->text(), QStringLiteral("look up to"));
    EXPECT_TRUE(window->showAnswerButton()->isVisible()) << "the next item starts hidden";
    EXPECT_EQ(enabledGrades(), 0);

    window->rememberButton()->click();
    ASSERT_EQ(store.reviews.size(), 2u);
    EXPECT_EQ(store.reviews.back().result, ReviewResult::easy);
    EXPECT_TRUE(window->placeholder()->isVisible()) << "the last answer ends the session";
    EXPECT_EQ(window->placeholder()->title(), QStringLiteral("今天没有待复习内容"));
}

TEST_F(ReviewWindowTest, TheKeyboardRevealsAndGrades)
{
    fill();
    ReviewWindow *window = open();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    QTest::keyClick(window, Qt::Key_1);
    EXPECT_TRUE(store.reviews.empty()) << "grades wait for the answer";
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_TRUE(window->viewModel().answerVisible());
    QTest::keyClick(window, Qt::Key_3);
    ASSERT_EQ(store.reviews.size(), 1u);
    EXPECT_EQ(store.reviews.back().result, ReviewResult::good);

    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(window->viewModel().answerVisible());
    QTest::keyClick(window, Qt::Key_1);
    ASSERT_EQ(store.reviews.size(), 2u);
    EXPECT_EQ(store.reviews.back().result, ReviewResult::forgot);
}

TEST_F(ReviewWindowTest, AFailedAnswerStaysOnTheItemWithARedLineAndCanBeRetried)
{
    fill();
    ReviewWindow *window = open();
    store.failRecording = true;
    window->showAnswerButton()->click();
    window->gradeButtons().at(0)->click();
    EXPECT_EQ(window->textLabel()->text(), QStringLiteral("take off"));
    EXPECT_TRUE(window->errorLabel()->isVisible());
    EXPECT_EQ(window->errorLabel()->text(), QStringLiteral("复习结果保存失败。"));
    EXPECT_EQ(enabledGrades(), 4) << "the answer is still shown, so it can be given again";
    screenshot(QStringLiteral("review-save-failed"));

    store.failRecording = false;
    window->gradeButtons().at(0)->click();
    ASSERT_EQ(store.reviews.size(), 1u);
    EXPECT_EQ(store.reviews.back().result, ReviewResult::forgot);
    EXPECT_EQ(window->textLabel()->text(), QStringLiteral("look up to"));
    EXPECT_FALSE(window->errorLabel()->isVisible());
}

TEST(ReviewWindowControllerTest, AVisibleWindowIsReusedAndAHiddenOneReplaced)
{
    FakeLearningItemStore store;
    int built = 0;
    ReviewWindowController controller([&] {
        ++built;
        return new ReviewWindow([&] { return std::make_unique<ForwardingStore>(store); });
    });

    controller.show();
    QPointer<ReviewWindow> first = controller.window();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    controller.show();
    EXPECT_EQ(built, 1);
    EXPECT_EQ(controller.window(), first.data());

    first->hide();
    controller.show();
    EXPECT_EQ(built, 2);
    EXPECT_NE(controller.window(), first.data());
    EXPECT_TRUE(controller.window()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "the hidden window is released";

    controller.window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(controller.window(), nullptr);
}

} // namespace
