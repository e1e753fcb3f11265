#include "views/daily/DailyRecommendationHistorySidebar.h"

#include "viewmodels/daily/DailyRecommendationDateFormat.h"
#include "views/common/ContentUnavailableView.h"
#include "views/common/PanelTheme.h"
#include "views/common/PlainTextLabel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

DailyRecommendationHistorySidebar::DailyRecommendationHistorySidebar(QWidget *parent)
    : QWidget(parent), m_pages(new QStackedWidget(this)), m_emptyPlaceholder(new ContentUnavailableView(this))
{
    setFixedWidth(kWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 18, 10, 14);
    layout->setSpacing(12);
    auto *heading = new QHBoxLayout;
    heading->setSpacing(7);
    auto *glyph = new QLabel(this);
    PanelTheme::setGlyph(glyph, QStringLiteral("books.vertical"), PanelColors::Role::label, 17);
    heading->addWidget(glyph);
    heading->addWidget(makePlainTextLabel(QStringLiteral("最近七日"), 15, QFont::DemiBold, this));
    heading->addStretch(1);
    layout->addLayout(heading);
    layout->addWidget(m_pages, 1);

    m_emptyPlaceholder->setSymbol(QStringLiteral("clock.arrow.circlepath"));
    m_emptyPlaceholder->setTitle(QStringLiteral("暂无历史文章"));
    m_emptyPlaceholder->setDescription(QStringLiteral("查看过的每日推荐会保存在这里"));
    m_pages->addWidget(m_emptyPlaceholder);
    auto *scrollArea = new QScrollArea(m_pages);
    scrollArea->setObjectName(QStringLiteral("historyList"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setWidgetResizable(true);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->viewport()->setAutoFillBackground(false);
    m_pages->addWidget(scrollArea);
}

void DailyRecommendationHistorySidebar::setHistory(const QList<DailyRecommendationHistoryDay> &days,
                                                   const QTimeZone &timeZone)
{
    m_rows.clear();
    auto *scrollArea = static_cast<QScrollArea *>(m_pages->widget(1));
    m_list = new QWidget;
    m_list->setAutoFillBackground(false);
    m_listLayout = new QVBoxLayout(m_list);
    m_listLayout->setContentsMargins(0, 0, 4, 0);
    m_listLayout->setSpacing(2);
    for (const DailyRecommendationHistoryDay &day : days) {
        const QDate date = day.date.toTimeZone(timeZone).date();
        QLabel *header = makePlainTextLabel(DailyRecommendationDateFormat::day(date), 12, QFont::DemiBold, m_list,
                                            PanelColors::Role::secondaryLabel);
        header->setContentsMargins(4, m_rows.isEmpty() ? 0 : 10, 0, 2);
        m_listLayout->addWidget(header);
        for (const DailyRecommendationHistoryItem &item : day.items) {
            QPushButton *row = makeRow(item, timeZone, m_list);
            m_listLayout->addWidget(row);
            m_rows.append(row);
        }
    }
    m_listLayout->addStretch(1);
    scrollArea->setWidget(m_list);
    m_pages->setCurrentIndex(days.isEmpty() ? 0 : 1);
    setSelectedID(m_selectedID);
}

void DailyRecommendationHistorySidebar::setSelectedID(const std::optional<QString> &id)
{
    m_selectedID = id;
    for (QPushButton *row : std::as_const(m_rows))
        row->setChecked(id && row->property("historyID").toString() == *id);
}

QPushButton *DailyRecommendationHistorySidebar::makeRow(const DailyRecommendationHistoryItem &item,
                                                        const QTimeZone &timeZone, QWidget *parent)
{
    auto *row = new QPushButton(parent);
    row->setObjectName(QStringLiteral("historyRow"));
    row->setCheckable(true);
    row->setProperty("historyID", item.id);
    row->setCursor(Qt::PointingHandCursor);
    // The selected row is outlined in the accent: a tint behind the texts would take
    // from their contrast.
    PanelTheme::setStyleSheet(row, QStringLiteral("QPushButton#historyRow { border: none; border-radius: 7px;"
                                                  " background: transparent; text-align: left; padding: 0; }"
                                                  "QPushButton#historyRow:checked { border: 2px solid @accent; }"));
    auto *layout = new QVBoxLayout(row);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(3);
    QLabel *title = makePlainTextLabel(item.recommendation.title, 13, QFont::Normal, row);
    title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QStringList caption;
    if (item.createdAt)
        caption.append(DailyRecommendationDateFormat::time(item.createdAt->toTimeZone(timeZone).time()));
    caption.append(::title(item.difficulty));
    QLabel *details = makePlainTextLabel(caption.join(QStringLiteral(" · ")), 11, QFont::Normal, row,
                                         PanelColors::Role::secondaryLabel);
    // The row's style sheet would otherwise override the label's palette.
    PanelTheme::setStyleSheet(details, QStringLiteral("color: @secondaryLabel;"));
    for (QLabel *label : {title, details}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(label);
    }
    // A button does not size itself to the layout inside it: the wrapped title (at most two
    // lines at the list's width) and the caption set its height.
    const int textWidth = kWidth - 24 - 4 - 16 - 8;
    const QFontMetrics titleMetrics(title->font());
    const int titleHeight =
        std::min(titleMetrics.boundingRect(QRect(0, 0, textWidth, 10000), Qt::TextWordWrap, item.recommendation.title).height(),
                 titleMetrics.lineSpacing() * 2);
    title->setFixedHeight(titleHeight);
    row->setFixedHeight(12 + titleHeight + 3 + QFontMetrics(details->font()).lineSpacing());
    const QString id = item.id;
    connect(row, &QPushButton::clicked, this, [this, row, id] {
        // The view model decides what is selected; the row keeps showing that until it says.
        row->setChecked(m_selectedID == id);
        emit historySelected(id);
    });
    return row;
}
