#include "views/collection/CollectionWindow.h"

#include "collection/LearningItemStore.h"
#include "viewmodels/collection/CollectionViewModel.h"
#include "views/collection/CollectionDetailView.h"
#include "views/collection/CollectionListModel.h"
#include "views/collection/CollectionRowDelegate.h"
#include "views/common/ContentUnavailableView.h"
#include "views/common/PanelTheme.h"
#include "views/common/PanelWindowSetup.h"
#include "views/common/SymbolIcon.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QShortcut>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kListWidth = 250;

// The application's store as the view model's narrower interface.
class ContextCollectionStore final : public CollectionItemStoring {
public:
    ContextCollectionStore(ModelContext &context, AppNotificationCenter &notifications)
        : m_store(context, {}, {}, notifications)
    {
    }

    QList<std::shared_ptr<LearningItem>> allItems() override { return m_store.allItems(); }
    void remove(const std::shared_ptr<LearningItem> &item) override { m_store.remove(item); }

private:
    LearningItemStore m_store;
};

} // namespace

CollectionWindow::StoreFactory CollectionWindow::storeFactory(ModelContext &context,
                                                              AppNotificationCenter &notifications)
{
    return [&context, &notifications]() -> std::unique_ptr<CollectionItemStoring> {
        return std::make_unique<ContextCollectionStore>(context, notifications);
    };
}

CollectionWindow::CollectionWindow(StoreFactory makeStore, CollectionExportAction exportAction,
                                   AppNotificationCenter &notifications, QWidget *parent)
    : QMainWindow(parent),
      m_makeStore(std::move(makeStore)),
      m_exportAction(std::move(exportAction)),
      m_viewModel(new CollectionViewModel(this)),
      m_listModel(new CollectionListModel(this))
{
    Q_ASSERT(m_makeStore);
    setUpPanelWindow(this, QStringLiteral("收藏本"), kSize, kMinimumSize);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(1);
    splitter->addWidget(buildListArea());
    m_detailView = new CollectionDetailView(splitter);
    splitter->addWidget(m_detailView);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kListWidth, kSize.width() - kListWidth});
    setCentralWidget(splitter);
    buildToolbar();

    connect(m_detailView, &CollectionDetailView::removeRequested, this, &CollectionWindow::removeSelectedItem);
    auto *deleteShortcut = new QShortcut(QKeySequence::Delete, this);
    connect(deleteShortcut, &QShortcut::activated, this, &CollectionWindow::removeSelectedItem);

    connect(m_viewModel, &CollectionViewModel::itemsChanged, this, [this] {
        m_listModel->setItems(m_viewModel->items());
        showSelectionInList();
        render();
    });
    connect(m_viewModel, &CollectionViewModel::selectionChanged, this, [this] {
        showSelectionInList();
        render();
    });
    connect(m_viewModel, &CollectionViewModel::errorMessageChanged, this, &CollectionWindow::render);
    connect(&notifications, &AppNotificationCenter::posted, this, [this](AppNotification name) {
        if ((name == AppNotification::reloadCollection || name == AppNotification::collectionDidChange)
            && !m_changingCollection) {
            load();
        }
    });
    render();
}

CollectionWindow::~CollectionWindow() = default;

QWidget *CollectionWindow::buildListArea()
{
    m_listArea = new QStackedWidget;
    m_listArea->setMinimumWidth(200);

    m_listView = new QListView(m_listArea);
    m_listView->setObjectName(QStringLiteral("collectionList"));
    m_listView->setModel(m_listModel);
    m_listView->setItemDelegate(new CollectionRowDelegate(m_listView));
    // Every row is as tall as the first, so a long list is laid out without measuring it.
    m_listView->setUniformItemSizes(true);
    m_listView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setAccessibleName(QStringLiteral("收藏列表"));
    connect(m_listView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CollectionWindow::listSelectionChanged);
    m_listArea->addWidget(m_listView);

    m_emptyPlaceholder = new ContentUnavailableView(m_listArea);
    m_emptyPlaceholder->setObjectName(QStringLiteral("emptyPlaceholder"));
    m_emptyPlaceholder->setSymbol(QStringLiteral("bookmark"));
    m_emptyPlaceholder->setTitle(QStringLiteral("暂无收藏"));
    m_listArea->addWidget(m_emptyPlaceholder);

    auto *errorPage = new QWidget(m_listArea);
    auto *errorLayout = new QVBoxLayout(errorPage);
    m_loadErrorLabel = new QLabel(errorPage);
    m_loadErrorLabel->setObjectName(QStringLiteral("loadError"));
    m_loadErrorLabel->setTextFormat(Qt::PlainText);
    m_loadErrorLabel->setWordWrap(true);
    m_loadErrorLabel->setAlignment(Qt::AlignCenter);
    PanelTheme::setTextRole(m_loadErrorLabel, PanelColors::Role::secondaryLabel);
    errorLayout->addWidget(m_loadErrorLabel);
    m_listArea->addWidget(errorPage);

    // A hairline between the list and the detail, also when the list shows a placeholder.
    auto *container = new QWidget;
    auto *row = new QHBoxLayout(container);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_listArea, 1);
    auto *divider = new QFrame(container);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    row->addWidget(divider);
    return container;
}

void CollectionWindow::buildToolbar()
{
    auto *toolbar = addToolBar(QStringLiteral("收藏本"));
    toolbar->setObjectName(QStringLiteral("collectionToolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    auto *spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);

    auto *menu = new QMenu(this);
    m_exportJSONAction = menu->addAction(SymbolIcon::icon(QStringLiteral("curlybraces"), PanelColors::Role::label),
                                         QStringLiteral("导出 JSON"));
    m_exportXLSXAction = menu->addAction(SymbolIcon::icon(QStringLiteral("tablecells"), PanelColors::Role::label),
                                         QStringLiteral("导出 XLSX"));
    connect(m_exportJSONAction, &QAction::triggered, this,
            [this] { exportCollection(LearningItemExportFormat::json); });
    connect(m_exportXLSXAction, &QAction::triggered, this,
            [this] { exportCollection(LearningItemExportFormat::xlsx); });

    m_exportButton = new QToolButton(toolbar);
    m_exportButton->setObjectName(QStringLiteral("exportButton"));
    m_exportButton->setText(QStringLiteral("导出"));
    m_exportButton->setIcon(SymbolIcon::icon(QStringLiteral("square.and.arrow.up"), PanelColors::Role::label));
    m_exportButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_exportButton->setPopupMode(QToolButton::InstantPopup);
    m_exportButton->setMenu(menu);
    m_exportButton->setToolTip(QStringLiteral("导出"));
    toolbar->addWidget(m_exportButton);
}

void CollectionWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // A restore from the taskbar is spontaneous; only opening the window reads the collection.
    if (!event->spontaneous()) {
        load();
        m_listView->setFocus();
    }
}

void CollectionWindow::load()
{
    std::unique_ptr<CollectionItemStoring> store = m_makeStore();
    m_viewModel->load(*store);
}

void CollectionWindow::removeSelectedItem()
{
    if (!m_viewModel->selectedItem()) {
        return;
    }
    std::unique_ptr<CollectionItemStoring> store = m_makeStore();
    m_changingCollection = true;
    m_viewModel->removeSelectedItem(*store);
    m_changingCollection = false;
}

void CollectionWindow::exportCollection(LearningItemExportFormat format)
{
    if (m_viewModel->items().isEmpty()) {
        return;
    }
    const QPointer<CollectionWindow> window(this);
    m_exportAction.start(this, format, [window] {
        return window ? window->m_viewModel->items() : QList<std::shared_ptr<LearningItem>>();
    });
}

void CollectionWindow::render()
{
    const bool empty = m_viewModel->items().isEmpty();
    const std::optional<QString> error = m_viewModel->errorMessage();
    if (!empty) {
        m_listArea->setCurrentWidget(m_listView);
    } else if (error) {
        m_loadErrorLabel->setText(*error);
        m_listArea->setCurrentWidget(m_loadErrorLabel->parentWidget());
    } else {
        m_listArea->setCurrentWidget(m_emptyPlaceholder);
    }
    m_exportButton->setEnabled(!empty);
    m_exportJSONAction->setEnabled(!empty);
    m_exportXLSXAction->setEnabled(!empty);
    m_detailView->setItem(m_viewModel->selectedItem());
    // With items listed, a failed removal would otherwise pass unnoticed.
    m_detailView->setErrorMessage(empty ? std::nullopt : error);
}

void CollectionWindow::showSelectionInList()
{
    const std::optional<QUuid> selection = m_viewModel->selection();
    const int row = selection ? m_listModel->rowOf(*selection) : -1;
    QItemSelectionModel *selectionModel = m_listView->selectionModel();
    m_syncingSelection = true;
    if (row < 0) {
        selectionModel->clear();
    } else {
        const QModelIndex index = m_listModel->index(row);
        selectionModel->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_listView->scrollTo(index);
    }
    m_syncingSelection = false;
}

void CollectionWindow::listSelectionChanged()
{
    if (m_syncingSelection) {
        return;
    }
    const std::shared_ptr<LearningItem> item = m_listModel->itemAt(m_listView->currentIndex().row());
    if (item) {
        m_viewModel->setSelection(item->id);
    }
}
