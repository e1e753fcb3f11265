#include "collection/LearningItemExplanationParser.h"
#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"
#include "support/TestSupport.h"
#include "viewmodels/collection/CollectionViewModel.h"
#include "viewmodels/review/ReviewViewModel.h"

#include <gtest/gtest.h>

namespace {

// The windows hand the view models a store over the application's own database.
TEST(StoreBackedViewModelsTest, CollectionAndReviewWorkOnTheDatabase)
{
    ModelContainer container(QString::fromLatin1(SQLiteDatabase::inMemoryPath));
    AppNotificationCenter notifications;
    LearningItemStore store(container.mainContext(), notifications);
    for (const char *text : {"apple", "pear"}) {
        LookupResult result;
        result.selectedText = QString::fromLatin1(text);
        result.contextualMeaning = QStringLiteral("意思");
        result.examples = {QStringLiteral("An apple a day."), QStringLiteral("Apples are red.")};
        store.save(result);
    }

    ReviewViewModel review({}, [] { return QDateTime::currentDateTimeUtc().addSecs(2 * 3600); });
    review.load(store);
    ASSERT_EQ(review.dueItems().size(), 2);
    review.submit(ReviewResult::good, store);
    EXPECT_EQ(review.errorMessage(), std::nullopt);
    EXPECT_EQ(container.mainContext().fetchReviewEvents().size(), 1);

    CollectionViewModel collection;
    collection.load(store);
    ASSERT_EQ(collection.items().size(), 2);
    // The store writes a titled block as its bold title, a blank line and the lines; the
    // detail pane therefore shows those lines as an untitled block.
    const auto sections = LearningItemExplanationParser::sections(collection.selectedItem()->explanation);
    ASSERT_EQ(sections.size(), 2);
    EXPECT_TRUE(sections.at(1).blocks ==
                (QList<LearningItemExplanationBlock>{{std::nullopt, {"An apple a day.", "Apples are red."}}}));

    collection.removeSelectedItem(store);
    EXPECT_EQ(collection.items().size(), 1);
    EXPECT_EQ(store.allItems().size(), 1);
    EXPECT_EQ(collection.errorMessage(), std::nullopt);
}

} // namespace
