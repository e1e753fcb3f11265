#pragma once

#include "collection/LearningItem.h"
#include "viewmodels/collection/CollectionItemStoring.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

class LearningItemStore;

// The collection window's list, its selection and the last failure. Store failures become
// fixed messages; the list is reloaded by the window whenever the collection changes.
class CollectionViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<std::shared_ptr<LearningItem>> items READ items NOTIFY itemsChanged)
    Q_PROPERTY(std::optional<QUuid> selection READ selection WRITE setSelection NOTIFY selectionChanged)
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    explicit CollectionViewModel(QObject *parent = nullptr);

    const QList<std::shared_ptr<LearningItem>> &items() const { return m_items; }
    std::optional<QUuid> selection() const { return m_selection; }
    // The list sets this when the learner picks a row.
    void setSelection(std::optional<QUuid> selection);
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    // The item whose id is the selection, if it is in the list.
    std::shared_ptr<LearningItem> selectedItem() const;

    // Replaces the list with the store's collection, keeping the selection when that item
    // is still there and otherwise selecting the newest.
    void load(CollectionItemStoring &store);
    void load(LearningItemStore &store);
    // Removes the selected item and reloads; on failure the list stays as it was.
    void removeSelectedItem(CollectionItemStoring &store);
    void removeSelectedItem(LearningItemStore &store);

signals:
    void itemsChanged();
    void selectionChanged();
    void errorMessageChanged();

private:
    void refreshSelection();
    void setItems(QList<std::shared_ptr<LearningItem>> items);
    void setErrorMessage(std::optional<QString> message);

    QList<std::shared_ptr<LearningItem>> m_items;
    std::optional<QUuid> m_selection;
    std::optional<QString> m_errorMessage;
};
