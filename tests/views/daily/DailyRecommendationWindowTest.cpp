#include "views/daily/DailyRecommendationWindow.h"

#include "daily/UserDefaultsDailyRecommendationCache.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "support/TestSupport.h"
#include "support/fakes/FakeDailyRecommendationGenerator.h"
#include "viewmodels/daily/DailyRecommendationViewModel.h"
#include "views/daily/DailyRecommendationArticleView.h"
#include "views/daily/DailyRecommendationHistorySidebar.h"
#include "views/daily/DailyRecommendationTextView.h"
#include "views/support/WindowLegibility.h"

#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void select(DailyRecommendationTextView *view, const QString &text)
{
    QTextCursor cursor = view->document()->find(text);
    ASSERT_FALSE(cursor.isNull());
    view->setTextCursor(cursor);
}

TEST(DailyRecommendationWindowTest, TheArticleLoadsAndASelectionInItIsLookedUpThroughItsBadge)
{
    InMemoryUserDefaults defaults;
    AppPreferences preferences(defaults, std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-test")),
                               std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
    auto generator = std::make_shared<FakeDailyRecommendationGenerator>();
    bool badgeEnabled = true;
    QStringList lookedUp;
    auto *window = new DailyRecommendationWindow(
        std::make_unique<DailyRecommendationViewModel>(DailyRecommendationViewModel::Collaborators{
            preferences, generator, std::make_shared<UserDefaultsDailyRecommendationCache>(defaults)}),
        [&] { return badgeEnabled; }, [&](const QString &text) { lookedUp.append(text); });
    window->show();
    ASSERT_EQ(generator->requests.size(), 1u);
    EXPECT_EQ(window->currentDetailPage(), window->loadingPage());
    generator->requests[0]->answer.resolve(sampleRecommendation("Tides"));
    DailyRecommendationArticleView *article = window->articleView();
    ASSERT_EQ(article->textViews().size(), 3 + 3 * 3);
    ASSERT_EQ(window->sidebar()->rows().size(), 1);
    EXPECT_TRUE(window->sidebar()->rows()[0]->isChecked());
    EXPECT_TRUE(article->refreshButton()->isVisibleTo(window));
    expectLegibleInBothSchemes(window);

    DailyRecommendationTextView *body = article->textViews()[1];
    select(body, QStringLiteral("42"));
    QTest::qWait(2 * DailyRecommendationTextView::kBadgeDelay.count());
    EXPECT_FALSE(body->selectionBadgeButton() && body->selectionBadgeButton()->isVisible()) << "no letter, no badge";
    select(body, QStringLiteral("begins"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return body->selectionBadgeButton() && body->selectionBadgeButton()->isVisible(); }));
    QToolButton *badge = body->selectionBadgeButton();
    const QRect inView(body->mapFrom(badge->parentWidget(), badge->geometry().topLeft()), badge->size());
    EXPECT_EQ(inView.size(), QSize(34, 34));
    EXPECT_TRUE(body->rect().contains(inView.topLeft())) << "inside the view";
    badge->click();
    EXPECT_EQ(lookedUp, QStringList{"begins"});
    EXPECT_FALSE(badge->isVisible());

    article->refreshButton()->click();
    ASSERT_EQ(generator->requests.size(), 2u);
    EXPECT_EQ(window->currentDetailPage(), window->loadingPage());
    delete window;
    EXPECT_TRUE(generator->requests[1]->isCancelled()) << "closing the window cancels the generation";
}

} // namespace
