#include "views/collection/CollectionListModel.h"

#include "collection/LearningItemType.h"

CollectionListModel::CollectionListModel(QObject *parent) : QAbstractListModel(parent) {}

void CollectionListModel::setItems(const QList<std::shared_ptr<LearningItem>> &items)
{
    beginResetModel();
    m_items = items;
    endResetModel();
}

int CollectionListModel::rowOf(const QUuid &id) const
{
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row)->id == id) {
            return int(row);
        }
    }
    return -1;
}

std::shared_ptr<LearningItem> CollectionListModel::itemAt(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row) : nullptr;
}

QString CollectionListModel::typeTitle(const LearningItem &item)
{
    const QString raw = rawValue(item.type());
    return raw.isEmpty() ? raw : raw.left(1).toUpper() + raw.mid(1);
}

int CollectionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant CollectionListModel::data(const QModelIndex &index, int role) const
{
    const std::shared_ptr<LearningItem> item = itemAt(index.row());
    if (!item || index.parent().isValid()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return item->text;
    case Qt::AccessibleDescriptionRole:
    case TypeTitleRole:
        return typeTitle(*item);
    case IdRole:
        return item->id;
    default:
        return {};
    }
}
