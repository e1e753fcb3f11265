#include "views/collection/CollectionWindow.h"

#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"
#include "support/TestSupport.h"
#include "viewmodels/collection/CollectionViewModel.h"
#include "support/fakes/FakeLearningItemStore.h"
#include "views/collection/CollectionDetailView.h"
#include "views/collection/CollectionListModel.h"
#include "views/collection/CollectionWindowController.h"
#include "views/common/ContentUnavailableView.h"
#include "views/common/SymbolButton.h"
#include "views/ViewTestSupport.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<LearningItem> item(const QString &text, LearningItemType type, const QString &explanation)
{
    std::shared_ptr<LearningItem> made = makeLearningItem(text, type);
    made->explanation = explanation;
    made->nextReviewAt = QDateTime(QDate(2025, 3, 2), QTime(9, 15));
    return made;
}

const QString kTakeOffExplanation = QStringLiteral(
    "### 释义\n\n**语境义**\n- （飞机）起飞\n- 突然成功\n\n### 例句\n\n- The plane took off on time.\n"
    "- Her career took off after the film.\n\n### 用法\n\n表示“起飞”时不接宾语。");

struct ExportRequest {
    CollectionExportAction::SaveRequest request;
    std::function<void(const QString &)> answer;
};

class CollectionWindowTest : public ::testing::Test {
protected:
    void TearDown() override { delete m_window.data(); }

    CollectionWindow *open(bool show = true)
    {
        CollectionExportAction exportAction(
            [this](QWidget *, const CollectionExportAction::SaveRequest &request,
                   std::function<void(const QString &)> answer) { exportRequests.push_back({request, answer}); },
            [this](QWidget *, const QString &title, const QString &message) { alerts.append(title + '|' + message); },
            [] { return QDateTime(QDate(2025, 3, 1), QTime(20, 30, 5)); });
        m_window = new CollectionWindow([this] { return std::make_unique<ForwardingStore>(store); }, exportAction,
                                        notifications);
        if (show) {
            m_window->show();
        }
        return m_window;
    }

    void fill()
    {
        store.items = {item(QStringLiteral("take off"), LearningItemType::phrase, kTakeOffExplanation),
                       item(QStringLiteral("serendipity"), LearningItemType::word,
                            QStringLiteral("### 释义\n\n- 意外发现珍宝的运气")),
                       item(QStringLiteral("It never rains but it pours."), LearningItemType::sentence,
                            QStringLiteral("祸不单行。\n- 坏事往往接踵而至"))};
    }

    QStringList rowTexts() const
    {
        QStringList rows;
        CollectionListModel *model = m_window->listModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row);
            rows.append(index.data().toString() + '/' + index.data(CollectionListModel::TypeTitleRole).toString());
        }
        return rows;
    }
    bool exportEnabled() const
    {
        return m_window->exportButton()->isEnabled() && m_window->exportJSONAction()->isEnabled()
            && m_window->exportXLSXAction()->isEnabled();
    }
    QString selectedText() const
    {
        const auto selected = m_window->viewModel().selectedItem();
        return selected ? selected->text : QString();
    }
    void screenshot(const QString &name)
    {
        QTest::qWait(30);
        saveScreenshot(m_window, name);
    }

    FakeLearningItemStore store;
    AppNotificationCenter notifications;
    std::vector<ExportRequest> exportRequests;
    QStringList alerts;
    QPointer<CollectionWindow> m_window;
};

TEST_F(CollectionWindowTest, AnEmptyCollectionShowsPlaceholdersAndCannotBeExported)
{
    CollectionWindow *window = open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("收藏本"));
    EXPECT_TRUE(window->emptyPlaceholder()->isVisible());
    EXPECT_EQ(window->emptyPlaceholder()->title(), QStringLiteral("暂无收藏"));
    EXPECT_EQ(window->emptyPlaceholder()->symbolName(), QStringLiteral("bookmark"));
    EXPECT_FALSE(window->detailView()->isShowingItem());
    EXPECT_EQ(window->detailView()->placeholder()->title(), QStringLiteral("选择收藏项"));
    EXPECT_EQ(window->detailView()->placeholder()->symbolName(), QStringLiteral("text.book.closed"));
    EXPECT_FALSE(exportEnabled());
    screenshot(QStringLiteral("collection-empty"));

    window->exportCollection(LearningItemExportFormat::json);
    EXPECT_TRUE(exportRequests.empty()) << "nothing to export";
}

TEST_F(CollectionWindowTest, AFailedLoadShowsItsMessageInTheListArea)
{
    fill();
    store.failReading = true;
    CollectionWindow *window = open();
    EXPECT_TRUE(window->loadErrorLabel()->isVisible());
    EXPECT_EQ(window->loadErrorLabel()->text(), QStringLiteral("收藏本加载失败。"));
    EXPECT_FALSE(window->emptyPlaceholder()->isVisible());
    EXPECT_FALSE(exportEnabled());
    screenshot(QStringLiteral("collection-load-failed"));

    store.failReading = false;
    notifications.post(AppNotification::reloadCollection);
    EXPECT_EQ(window->listModel()->rowCount(), 3);
    EXPECT_FALSE(window->loadErrorLabel()->isVisible());
}

TEST_F(CollectionWindowTest, TheListSelectsTheNewestItemAndTheDetailFollowsTheSelection)
{
    fill();
    CollectionWindow *window = open(false);
    EXPECT_EQ(window->listModel()->rowCount(), 0) << "the collection is read when the window is shown";
    window->show();
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("take off/Phrase"), QStringLiteral("serendipity/Word"),
                                       QStringLiteral("It never rains but it pours./Sentence")}));
    EXPECT_TRUE(exportEnabled());
    EXPECT_EQ(selectedText(), QStringLiteral("take off"));
    EXPECT_EQ(window->listView()->currentIndex().row(), 0);

    CollectionDetailView *detail = window->detailView();
    EXPECT_TRUE(detail->isShowingItem());
    EXPECT_EQ(detail->textLabel()->text(), QStringLiteral("take off"));
    EXPECT_TRUE(detail->textLabel()->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(detail->nextReviewLabel()->text(),
              CollectionDetailView::nextReviewText(QDateTime(QDate(2025, 3, 2), QTime(9, 15))));
    EXPECT_TRUE(detail->nextReviewLabel()->text().startsWith(QStringLiteral("下次复习：")));
    EXPECT_EQ(detail->removeButton()->toolTip(), QStringLiteral("取消收藏"));
    EXPECT_EQ(detail->removeButton()->accessibleName(), QStringLiteral("取消收藏"));
    EXPECT_EQ(detail->removeButton()->symbolName(), QStringLiteral("star.fill"));
    // The bold line directly followed by its lines titles the block; "- " prefixes go.
    EXPECT_EQ(detail->explanationTexts(),
              (QStringList{QStringLiteral("释义"), QStringLiteral("语境义"), QStringLiteral("（飞机）起飞"),
                           QStringLiteral("突然成功"), QStringLiteral("例句"),
                           QStringLiteral("The plane took off on time."),
                           QStringLiteral("Her career took off after the film."), QStringLiteral("用法"),
                           QStringLiteral("表示“起飞”时不接宾语。")}));
    screenshot(QStringLiteral("collection-list"));

    // Arrow keys walk the list.
    window->listView()->setFocus();
    QTest::keyClick(window->listView(), Qt::Key_Down);
    EXPECT_EQ(selectedText(), QStringLiteral("serendipity"));
    QTest::keyClick(window->listView(), Qt::Key_Down);
    EXPECT_EQ(selectedText(), QStringLiteral("It never rains but it pours."));
    EXPECT_EQ(detail->textLabel()->text(), QStringLiteral("It never rains but it pours."));
    // Without any heading the whole text is one "解释" section.
    EXPECT_EQ(detail->explanationTexts(), (QStringList{QStringLiteral("解释"), QStringLiteral("祸不单行。"),
                                                       QStringLiteral("坏事往往接踵而至")}));
    screenshot(QStringLiteral("collection-sentence"));

    // A reload, here because the collection changed elsewhere, keeps the selection.
    store.items.prepend(item(QStringLiteral("brand new"), LearningItemType::word, QString()));
    notifications.post(AppNotification::collectionDidChange);
    EXPECT_EQ(window->listModel()->rowCount(), 4);
    EXPECT_EQ(selectedText(), QStringLiteral("It never rains but it pours."));
    EXPECT_EQ(window->listView()->currentIndex().row(), 3);
}

TEST_F(CollectionWindowTest, TheStarAndTheDeleteKeyRemoveTheSelectedItem)
{
    fill();
    CollectionWindow *window = open();
    window->listView()->setCurrentIndex(window->listModel()->index(1));
    ASSERT_EQ(selectedText(), QStringLiteral("serendipity"));

    window->detailView()->removeButton()->click();
    ASSERT_EQ(store.removed.size(), 1u);
    EXPECT_EQ(store.removed.front()->text, QStringLiteral("serendipity"));
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("take off/Phrase"),
                                       QStringLiteral("It never rains but it pours./Sentence")}));
    EXPECT_EQ(selectedText(), QStringLiteral("take off")) << "the newest remaining item is selected";

    // A removal that fails leaves the list and says so under the header.
    store.failRemoving = true;
    window->detailView()->removeButton()->click();
    EXPECT_EQ(window->listModel()->rowCount(), 2);
    EXPECT_TRUE(window->detailView()->errorLabel()->isVisible());
    EXPECT_EQ(window->detailView()->errorLabel()->text(), QStringLiteral("取消收藏失败。"));
    screenshot(QStringLiteral("collection-remove-failed"));
    store.failRemoving = false;

    window->activateWindow();
    window->listView()->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->listView(), Qt::Key_Delete);
    EXPECT_EQ(store.removed.size(), 2u);
    EXPECT_FALSE(window->detailView()->errorLabel()->isVisible());
    QTest::keyClick(window->listView(), Qt::Key_Delete);
    EXPECT_EQ(store.removed.size(), 3u);
    EXPECT_TRUE(window->emptyPlaceholder()->isVisible());
    EXPECT_FALSE(window->detailView()->isShowingItem());
    EXPECT_FALSE(exportEnabled());
}

TEST_F(CollectionWindowTest, RemovingThroughTheApplicationStoreReadsTheCollectionOnce)
{
    ModelContainer container(QString::fromLatin1(SQLiteDatabase::inMemoryPath));
    LearningItemStore saver(container.mainContext(), {}, {}, notifications);
    for (const char *text : {"apple", "pear"}) {
        LookupResult result;
        result.selectedText = QString::fromLatin1(text);
        result.contextualMeaning = QStringLiteral("意思");
        saver.save(result);
    }
    int reads = 0;
    CollectionWindow::StoreFactory real = CollectionWindow::storeFactory(container.mainContext(), notifications);
    m_window = new CollectionWindow([&] { ++reads; return real(); }, CollectionExportAction(), notifications);
    m_window->show();
    ASSERT_EQ(m_window->listModel()->rowCount(), 2);
    const QString removed = selectedText();

    m_window->removeSelectedItem();
    EXPECT_EQ(reads, 2) << "the store's own change notice does not reload in the middle of the removal";
    ASSERT_EQ(m_window->listModel()->rowCount(), 1);
    EXPECT_NE(selectedText(), removed);
    EXPECT_EQ(LearningItemStore(container.mainContext(), notifications).allItems().size(), 1);
}

TEST_F(CollectionWindowTest, ExportWritesTheListedItemsWhereTheLearnerChose)
{
    fill();
    open();
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());

    m_window->exportJSONAction()->trigger();
    ASSERT_EQ(exportRequests.size(), 1u);
    const CollectionExportAction::SaveRequest &request = exportRequests.back().request;
    EXPECT_EQ(request.title, QStringLiteral("导出收藏"));
    EXPECT_EQ(QFileInfo(request.proposedPath).fileName(), QStringLiteral("Rarozezev-收藏-20250301-203005.json"));
    EXPECT_TRUE(request.nameFilter.contains(QStringLiteral("*.json")));

    // The items are taken when the location is confirmed, not when the dialog opened.
    store.items.append(item(QStringLiteral("late addition"), LearningItemType::word, QString()));
    notifications.post(AppNotification::collectionDidChange);
    const QString jsonPath = directory.filePath(QStringLiteral("collection.json"));
    exportRequests.back().answer(jsonPath);
    QFile json(jsonPath);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject document = QJsonDocument::fromJson(json.readAll()).object();
    EXPECT_EQ(document.value(QStringLiteral("version")).toInt(), 1);
    ASSERT_EQ(document.value(QStringLiteral("items")).toArray().size(), 4);
    EXPECT_EQ(document.value(QStringLiteral("items")).toArray().at(0).toObject().value(QStringLiteral("text")),
              QStringLiteral("take off"));
    EXPECT_TRUE(alerts.isEmpty());

    m_window->exportXLSXAction()->trigger();
    ASSERT_EQ(exportRequests.size(), 2u);
    EXPECT_EQ(QFileInfo(exportRequests.back().request.proposedPath).fileName(),
              QStringLiteral("Rarozezev-收藏-20250301-203005.xlsx"));
    EXPECT_TRUE(exportRequests.back().request.nameFilter.contains(QStringLiteral("*.xlsx")));
    const QString xlsxPath = directory.filePath(QStringLiteral("collection.xlsx"));
    exportRequests.back().answer(xlsxPath);
    QFile xlsx(xlsxPath);
    ASSERT_TRUE(xlsx.open(QIODevice::ReadOnly));
    EXPECT_TRUE(xlsx.read(4) == QByteArray("PK\x03\x04", 4));

    // Cancelling does nothing at all.
    m_window->exportJSONAction()->trigger();
    exportRequests.back().answer(QString());
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(CollectionWindowTest, AnExportThatCannotBeWrittenAlertsAndLeavesNoFile)
{
    fill();
    open();
    QTemporaryDir directory;
    m_window->exportXLSXAction()->trigger();
    ASSERT_EQ(exportRequests.size(), 1u);
    const QString path = directory.filePath(QStringLiteral("missing/folder/collection.xlsx"));
    exportRequests.back().answer(path);
    EXPECT_EQ(alerts, QStringList{QStringLiteral("导出失败|收藏导出失败，请换一个保存位置后重试。")});
    EXPECT_FALSE(QFile::exists(path));

    // An answer arriving after the window closed exports nothing.
    m_window->exportJSONAction()->trigger();
    const auto late = exportRequests.back().answer;
    delete m_window.data();
    late(directory.filePath(QStringLiteral("late.json")));
    EXPECT_FALSE(QFile::exists(directory.filePath(QStringLiteral("late.json"))));
}

TEST(CollectionWindowControllerTest, ShowingAgainReusesTheOpenWindowAndReloadsIt)
{
    AppNotificationCenter notifications;
    FakeLearningItemStore store;
    int reloadRequests = 0;
    QObject::connect(&notifications, &AppNotificationCenter::posted, [&](AppNotification name) {
        reloadRequests += name == AppNotification::reloadCollection;
    });
    int built = 0;
    CollectionWindowController controller(
        [&] {
            ++built;
            return new CollectionWindow([&] { return std::make_unique<ForwardingStore>(store); },
                                        CollectionExportAction(), notifications);
        },
        notifications);

    controller.show();
    QPointer<CollectionWindow> first = controller.window();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(reloadRequests, 0);

    store.items = {makeLearningItem(QStringLiteral("added while open"))};
    controller.show();
    EXPECT_EQ(built, 1);
    EXPECT_EQ(controller.window(), first.data());
    EXPECT_EQ(reloadRequests, 1);
    EXPECT_EQ(first->listModel()->rowCount(), 1);

    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "a closed window is gone";
    EXPECT_EQ(controller.window(), nullptr);
    controller.show();
    EXPECT_EQ(built, 2);
    EXPECT_NE(controller.window(), nullptr);
}

} // namespace
