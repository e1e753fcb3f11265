#include "viewmodels/collection/CollectionViewModel.h"

#include "support/fakes/FakeLearningItemStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class CollectionViewModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.items = {makeLearningItem("serendipity"), makeLearningItem("take off"), makeLearningItem("apple")};
        model.load(store);
    }

    QUuid idAt(qsizetype index) const { return store.items.at(index)->id; }

    FakeLearningItemStore store;
    CollectionViewModel model;
};

TEST_F(CollectionViewModelTest, LoadListsItemsSelectsNewestAndFailureEmptiesList)
{
    EXPECT_EQ(model.items(), store.items);
    EXPECT_EQ(model.selectedItem(), store.items.at(0));
    EXPECT_EQ(model.errorMessage(), std::nullopt);

    store.failReading = true;
    model.load(store);
    EXPECT_TRUE(model.items().isEmpty());
    EXPECT_EQ(model.selection(), std::nullopt);
    EXPECT_TRUE(model.errorMessage().has_value());

    store.failReading = false;
    model.load(store);
    EXPECT_EQ(model.items().size(), 3);
    EXPECT_EQ(model.errorMessage(), std::nullopt);
}

TEST_F(CollectionViewModelTest, ReloadKeepsSelectionOnlyWhileItemExists)
{
    model.setSelection(idAt(1));
    store.items.prepend(makeLearningItem("newer"));
    model.load(store);
    EXPECT_EQ(model.selection(), idAt(2));

    // Removed elsewhere: the newest item is selected instead.
    store.items.removeAt(2);
    model.load(store);
    EXPECT_EQ(model.selection(), idAt(0));

    model.setSelection(QUuid::createUuid());
    EXPECT_EQ(model.selectedItem(), nullptr);

    store.items.clear();
    model.load(store);
    EXPECT_EQ(model.selection(), std::nullopt);
}

TEST_F(CollectionViewModelTest, RemovingSelectedItemSelectsNewestRemaining)
{
    const auto middle = store.items.at(1);
    model.setSelection(middle->id);

    model.removeSelectedItem(store);
    EXPECT_EQ(store.removed, std::vector{middle});
    EXPECT_EQ(model.items().size(), 2);
    EXPECT_EQ(model.selection(), idAt(0));

    model.removeSelectedItem(store);
    model.removeSelectedItem(store);
    EXPECT_TRUE(model.items().isEmpty());
    EXPECT_EQ(model.selection(), std::nullopt);
    EXPECT_EQ(model.errorMessage(), std::nullopt);

    // Nothing selected: the store is not asked.
    model.removeSelectedItem(store);
    EXPECT_EQ(store.removed.size(), 3u);
}

TEST_F(CollectionViewModelTest, FailedRemovalOrReloadKeepsList)
{
    const auto before = model.items();
    const auto selected = model.selection();

    store.failRemoving = true;
    model.removeSelectedItem(store);
    EXPECT_EQ(model.items(), before);
    EXPECT_EQ(model.selection(), selected);
    EXPECT_TRUE(model.errorMessage().has_value());

    store.failRemoving = false;
    store.failReading = true;
    model.removeSelectedItem(store);
    EXPECT_EQ(model.items(), before);
    EXPECT_TRUE(model.errorMessage().has_value());
}

} // namespace
