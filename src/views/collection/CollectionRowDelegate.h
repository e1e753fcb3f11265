#pragma once

#include <QStyledItemDelegate>

// Draws a collection row as two lines: the item's text in bold and its type below in grey.
// Every row has the same height, which lets the list skip measuring thousands of rows.
class CollectionRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CollectionRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static QFont textFont(const QFont &base);
    static QFont typeFont(const QFont &base);
};
