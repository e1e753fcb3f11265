#pragma once

#include "export/LearningItemExportFormat.h"
#include "foundation/AppNotificationCenter.h"
#include "viewmodels/collection/CollectionItemStoring.h"
#include "views/collection/CollectionExportAction.h"

#include <QMainWindow>
#include <QSize>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QListView;
class QStackedWidget;
class QToolButton;
class CollectionDetailView;
class CollectionListModel;
class CollectionViewModel;
class ContentUnavailableView;
class ModelContext;

// The collection window "收藏本": every saved item in a list on the left, the selected one's
// details on the right, and an export menu in the toolbar. It reads the collection when it is
// shown and again whenever the collection changes or a reload is asked for.
class CollectionWindow : public QMainWindow {
    Q_OBJECT

public:
    // Makes a store over the application's collection, once per load or removal.
    using StoreFactory = std::function<std::unique_ptr<CollectionItemStoring>()>;

    static constexpr QSize kSize{780, 560};
    static constexpr QSize kMinimumSize{720, 520};

    // Stores over `context` that announce their changes on `notifications`.
    static StoreFactory storeFactory(ModelContext &context, AppNotificationCenter &notifications);

    CollectionWindow(StoreFactory makeStore, CollectionExportAction exportAction, AppNotificationCenter &notifications,
                     QWidget *parent = nullptr);
    ~CollectionWindow() override;

    CollectionViewModel &viewModel() const { return *m_viewModel; }

    void load();
    // The star's and the Delete key's action.
    void removeSelectedItem();
    // The export menu's entries: asks for a location, then writes the listed items.
    void exportCollection(LearningItemExportFormat format);

    QListView *listView() const { return m_listView; }
    CollectionListModel *listModel() const { return m_listModel; }
    CollectionDetailView *detailView() const { return m_detailView; }
    ContentUnavailableView *emptyPlaceholder() const { return m_emptyPlaceholder; }
    QLabel *loadErrorLabel() const { return m_loadErrorLabel; }
    QToolButton *exportButton() const { return m_exportButton; }
    QAction *exportJSONAction() const { return m_exportJSONAction; }
    QAction *exportXLSXAction() const { return m_exportXLSXAction; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildListArea();
    void buildToolbar();
    void render();
    void showSelectionInList();
    void listSelectionChanged();

    StoreFactory m_makeStore;
    CollectionExportAction m_exportAction;
    CollectionViewModel *m_viewModel;
    CollectionListModel *m_listModel;
    QStackedWidget *m_listArea = nullptr;
    QListView *m_listView = nullptr;
    ContentUnavailableView *m_emptyPlaceholder = nullptr;
    QLabel *m_loadErrorLabel = nullptr;
    CollectionDetailView *m_detailView = nullptr;
    QToolButton *m_exportButton = nullptr;
    QAction *m_exportJSONAction = nullptr;
    QAction *m_exportXLSXAction = nullptr;
    // Set while the window itself changes the collection: the store's own change notice
    // would otherwise reload the list in the middle of the removal.
    bool m_changingCollection = false;
    bool m_syncingSelection = false;
};
