#include "views/collection/CollectionRowDelegate.h"

#include "views/collection/CollectionListModel.h"
#include "views/common/PanelColors.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int kHorizontalPadding = 10;
constexpr int kVerticalPadding = 6;
constexpr int kLineGap = 2;

} // namespace

CollectionRowDelegate::CollectionRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QFont CollectionRowDelegate::textFont(const QFont &base)
{
    QFont font = base;
    font.setPixelSize(14);
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont CollectionRowDelegate::typeFont(const QFont &base)
{
    QFont font = base;
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    return font;
}

void CollectionRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    // The style draws the selection and hover background; the texts are ours.
    background.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const QColor primary = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    QColor secondary = selected ? primary : PanelColors::secondaryLabel();
    if (selected) {
        secondary.setAlphaF(0.75f);
    }

    const QRect area = option.rect.adjusted(kHorizontalPadding, kVerticalPadding, -kHorizontalPadding,
                                            -kVerticalPadding);
    const QFont first = textFont(option.font);
    const QFont second = typeFont(option.font);
    const QFontMetrics firstMetrics(first);
    const QFontMetrics secondMetrics(second);

    painter->save();
    painter->setFont(first);
    painter->setPen(primary);
    const QRect textRect(area.left(), area.top(), area.width(), firstMetrics.height());
    // Sentences can be long: one line, elided, with the whole text in the tooltip.
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      firstMetrics.elidedText(index.data(Qt::DisplayRole).toString().simplified(),
                                              Qt::ElideRight, area.width()));
    painter->setFont(second);
    painter->setPen(secondary);
    const QRect typeRect(area.left(), textRect.bottom() + 1 + kLineGap, area.width(), secondMetrics.height());
    painter->drawText(typeRect, Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(CollectionListModel::TypeTitleRole).toString());
    painter->restore();
}

QSize CollectionRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int height = QFontMetrics(textFont(option.font)).height() + kLineGap
        + QFontMetrics(typeFont(option.font)).height() + 2 * kVerticalPadding;
    return QSize(200, height);
}
