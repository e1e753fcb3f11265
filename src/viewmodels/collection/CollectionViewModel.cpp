#include "viewmodels/collection/CollectionViewModel.h"

#include "collection/LearningItemStore.h"

#include <algorithm>

namespace {

const QString kLoadFailedMessage = QStringLiteral("收藏本加载失败。");
const QString kRemoveFailedMessage = QStringLiteral("取消收藏失败。");

// Lets the window hand over the store it made without the store knowing this interface.
class LearningItemStoreAdapter final : public CollectionItemStoring {
public:
    explicit LearningItemStoreAdapter(LearningItemStore &store) : m_store(store) {}

    QList<std::shared_ptr<LearningItem>> allItems() override { return m_store.allItems(); }
    void remove(const std::shared_ptr<LearningItem> &item) override { m_store.remove(item); }

private:
    LearningItemStore &m_store;
};

} // namespace

CollectionViewModel::CollectionViewModel(QObject *parent) : QObject(parent) {}

void CollectionViewModel::setSelection(std::optional<QUuid> selection)
{
    if (selection == m_selection) {
        return;
    }
    m_selection = selection;
    emit selectionChanged();
}

std::shared_ptr<LearningItem> CollectionViewModel::selectedItem() const
{
    if (!m_selection) {
        return nullptr;
    }
    const auto found = std::find_if(m_items.cbegin(), m_items.cend(),
                                    [&](const std::shared_ptr<LearningItem> &item) { return item->id == *m_selection; });
    return found == m_items.cend() ? nullptr : *found;
}

void CollectionViewModel::load(CollectionItemStoring &store)
{
    QList<std::shared_ptr<LearningItem>> loaded;
    try {
        loaded = store.allItems();
    } catch (...) {
        setItems({});
        setSelection(std::nullopt);
        setErrorMessage(kLoadFailedMessage);
        return;
    }
    setItems(std::move(loaded));
    refreshSelection();
    setErrorMessage(std::nullopt);
}

void CollectionViewModel::load(LearningItemStore &store)
{
    LearningItemStoreAdapter adapter(store);
    load(adapter);
}

void CollectionViewModel::removeSelectedItem(CollectionItemStoring &store)
{
    const std::shared_ptr<LearningItem> item = selectedItem();
    if (!item) {
        return;
    }
    QList<std::shared_ptr<LearningItem>> remaining;
    try {
        store.remove(item);
        remaining = store.allItems();
    } catch (...) {
        setErrorMessage(kRemoveFailedMessage);
        return;
    }
    setItems(std::move(remaining));
    refreshSelection();
    setErrorMessage(std::nullopt);
}

void CollectionViewModel::removeSelectedItem(LearningItemStore &store)
{
    LearningItemStoreAdapter adapter(store);
    removeSelectedItem(adapter);
}

void CollectionViewModel::refreshSelection()
{
    if (m_items.isEmpty()) {
        setSelection(std::nullopt);
    } else if (!selectedItem()) {
        // The removed item is gone from the list, so this also picks the newest remaining.
        setSelection(m_items.first()->id);
    }
}

void CollectionViewModel::setItems(QList<std::shared_ptr<LearningItem>> items)
{
    m_items = std::move(items);
    emit itemsChanged();
}

void CollectionViewModel::setErrorMessage(std::optional<QString> message)
{
    if (message == m_errorMessage) {
        return;
    }
    m_errorMessage = std::move(message);
    emit errorMessageChanged();
}
