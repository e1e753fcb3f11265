#include "views/collection/CollectionWindow.h"

#include "support/TestSupport.h"
#include "support/fakes/FakeLearningItemStore.h"
#include "views/collection/CollectionDetailView.h"
#include "views/collection/CollectionListModel.h"
#include "views/common/ContentUnavailableView.h"
#include "views/common/SymbolButton.h"
#include "views/support/WindowLegibility.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(CollectionWindowTest, ListsTheCollectionFollowsTheSelectionRemovesAndExports)
{
    FakeLearningItemStore store;
    AppNotificationCenter notifications;
    QTemporaryDir directory;
    QString chosenPath;
    QStringList alerts;
    CollectionExportAction exportAction(
        [&](QWidget *, const CollectionExportAction::SaveRequest &, std::function<void(const QString &)> chosen) {
            chosen(chosenPath);
        },
        [&](QWidget *, const QString &title, const QString &) { alerts.append(title); });
    CollectionWindow window([&] { return std::make_unique<ForwardingStore>(store); }, exportAction, notifications);
    window.show();
    EXPECT_TRUE(window.emptyPlaceholder()->isVisible());
    EXPECT_FALSE(window.exportButton()->isEnabled());

    store.items = {makeLearningItem(QStringLiteral("take off"), LearningItemType::phrase),
                   makeLearningItem(QStringLiteral("serendipity")), makeLearningItem(QStringLiteral("apple"))};
    notifications.post(AppNotification::collectionDidChange);
    ASSERT_EQ(window.listModel()->rowCount(), 3);
    EXPECT_EQ(window.detailView()->textLabel()->text(), QStringLiteral("take off")) << "the newest item is shown";
    window.listView()->setFocus();
    QTest::keyClick(window.listView(), Qt::Key_Down);
    EXPECT_EQ(window.detailView()->textLabel()->text(), QStringLiteral("serendipity"));
    expectLegibleInBothSchemes(&window);

    window.detailView()->removeButton()->click();
    ASSERT_EQ(store.removed.size(), 1u);
    EXPECT_EQ(store.removed[0]->text, QStringLiteral("serendipity"));
    EXPECT_EQ(window.listModel()->rowCount(), 2);

    chosenPath = directory.filePath(QStringLiteral("collection.json"));
    window.exportJSONAction()->trigger();
    QFile json(chosenPath);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_TRUE(json.readAll().contains("\"take off\""));
    chosenPath = directory.filePath(QStringLiteral("missing/collection.xlsx"));
    window.exportXLSXAction()->trigger();
    EXPECT_EQ(alerts.size(), 1) << "a file that cannot be written is reported";
    EXPECT_FALSE(QFile::exists(chosenPath));
}

} // namespace
