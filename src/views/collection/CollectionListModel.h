#pragma once

#include "collection/LearningItem.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>

#include <memory>

// The collection window's list rows over the view model's items: the text, and below it the
// item's type with a capital first letter. Rows are produced on demand, so a collection of
// many thousands of items costs nothing until a row scrolls into view.
class CollectionListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        TypeTitleRole = Qt::UserRole + 1,
        IdRole,
    };

    explicit CollectionListModel(QObject *parent = nullptr);

    void setItems(const QList<std::shared_ptr<LearningItem>> &items);
    // The row of the item with this id; -1 when it is not listed.
    int rowOf(const QUuid &id) const;
    std::shared_ptr<LearningItem> itemAt(int row) const;

    // "Word", "Phrase", "Sentence".
    static QString typeTitle(const LearningItem &item);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<std::shared_ptr<LearningItem>> m_items;
};
