#include "views/daily/DailyRecommendationArticleView.h"

#include "views/common/PanelTheme.h"
#include "views/common/PlainTextLabel.h"
#include "views/common/SymbolIcon.h"
#include "views/daily/DailyRecommendationTextView.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kBodyPixelSize = 15;

QFont pixelFont(const QFont &base, int pixelSize, QFont::Weight weight, bool italic = false)
{
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setItalic(italic);
    return font;
}

} // namespace

DailyRecommendationArticleView::DailyRecommendationArticleView(std::function<bool()> isSelectionBadgeEnabled,
                                                               std::function<void(const QString &)> onLookupRequested,
                                                               QWidget *parent)
    : QWidget(parent),
      m_isSelectionBadgeEnabled(std::move(isSelectionBadgeEnabled)),
      m_onLookupRequested(std::move(onLookupRequested)),
      m_column(new QWidget(this)),
      m_columnLayout(new QVBoxLayout(m_column)),
      m_subtitle(makePlainTextLabel(QString(), 14, QFont::Medium, m_column, PanelColors::Role::secondaryLabel)),
      m_refreshButton(new QPushButton(SymbolIcon::icon(QStringLiteral("arrow.clockwise"), PanelColors::Role::label),
                                      QStringLiteral("换一篇"), m_column))
{
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(28, 24, 28, 28);
    outer->addWidget(m_column, 1);
    outer->addStretch(0);
    m_column->setMaximumWidth(kMaximumColumnWidth);
    m_columnLayout->setContentsMargins(0, 0, 0, 0);
    m_columnLayout->setSpacing(22);
    m_refreshButton->setObjectName(QStringLiteral("refreshRecommendation"));
    connect(m_refreshButton, &QPushButton::clicked, this, &DailyRecommendationArticleView::refreshRequested);
}

void DailyRecommendationArticleView::setSubtitle(const QString &subtitle) { m_subtitle->setText(subtitle); }

void DailyRecommendationArticleView::setRefreshVisible(bool visible) { m_refreshButton->setVisible(visible); }

void DailyRecommendationArticleView::setRecommendation(const DailyRecommendation &recommendation)
{
    if (m_recommendation == recommendation)
        return;
    m_recommendation = recommendation;
    m_textViews.clear();
    // The header's subtitle and button outlive the texts around them.
    m_subtitle->setParent(m_column);
    m_refreshButton->setParent(m_column);
    delete m_body;
    m_body = new QWidget(m_column);
    m_columnLayout->addWidget(m_body);
    auto *layout = new QVBoxLayout(m_body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(22);

    auto *header = new QHBoxLayout;
    auto *titleColumn = new QVBoxLayout;
    titleColumn->setSpacing(6);
    addText(titleColumn, m_body, recommendation.title, pixelFont(font(), 26, QFont::Bold), PanelColors::Role::label, 0);
    titleColumn->addWidget(m_subtitle);
    header->addLayout(titleColumn, 1);
    header->addWidget(m_refreshButton, 0, Qt::AlignTop);
    layout->addLayout(header);
    addText(layout, m_body, recommendation.article, pixelFont(font(), kBodyPixelSize, QFont::Normal),
            PanelColors::Role::label, 7);

    QVBoxLayout *summary = addSection(QStringLiteral("内容摘要"), QStringLiteral("text.alignleft"));
    addText(summary, summary->parentWidget(), recommendation.chineseSummary,
            pixelFont(font(), kBodyPixelSize, QFont::Normal), PanelColors::Role::label, 0);
    addTeachingPoints(QStringLiteral("关键单词"), recommendation.keyWords);
    addTeachingPoints(QStringLiteral("实用词组"), recommendation.keyPhrases);
    addTeachingPoints(QStringLiteral("语法讲解"), recommendation.grammarPoints);
    layout->addStretch(1);
    m_subtitle->show();
}

DailyRecommendationTextView *DailyRecommendationArticleView::addText(QVBoxLayout *layout, QWidget *parent,
                                                                     const QString &text, const QFont &font,
                                                                     PanelColors::Role role, qreal lineSpacing)
{
    auto *view = new DailyRecommendationTextView(parent);
    view->setContent(text, font, role, lineSpacing);
    view->setSelectionBadgeEnabled(m_isSelectionBadgeEnabled);
    view->setLookupRequested(m_onLookupRequested);
    // Above the sections' backgrounds, so that a badge may reach past a short text.
    view->setBadgeHost(m_body);
    layout->addWidget(view);
    m_textViews.append(view);
    return view;
}

QVBoxLayout *DailyRecommendationArticleView::addSection(const QString &title, const QString &symbol)
{
    auto *section = new QVBoxLayout;
    section->setSpacing(10);
    auto *heading = new QHBoxLayout;
    heading->setSpacing(7);
    auto *glyph = new QLabel(m_body);
    PanelTheme::setGlyph(glyph, symbol, PanelColors::Role::label, 18);
    heading->addWidget(glyph);
    heading->addWidget(makePlainTextLabel(title, 19, QFont::DemiBold, m_body));
    heading->addStretch(1);
    section->addLayout(heading);

    auto *background = new QFrame(m_body);
    background->setObjectName(QStringLiteral("teachingSection"));
    PanelTheme::setStyleSheet(background,
                              QStringLiteral("QFrame#teachingSection { background: @base; border-radius: 8px; }"));
    auto *content = new QVBoxLayout(background);
    content->setContentsMargins(14, 12, 14, 12);
    content->setSpacing(14);
    section->addWidget(background);
    qobject_cast<QVBoxLayout *>(m_body->layout())->addLayout(section);
    return content;
}

void DailyRecommendationArticleView::addTeachingPoints(const QString &title,
                                                       const QList<RecommendationTeachingPoint> &points)
{
    QVBoxLayout *section = addSection(title, QStringLiteral("graduationcap"));
    QWidget *background = section->parentWidget();
    for (const RecommendationTeachingPoint &point : points) {
        auto *block = new QVBoxLayout;
        block->setSpacing(4);
        addText(block, background, point.term, pixelFont(font(), kBodyPixelSize, QFont::DemiBold),
                PanelColors::Role::label, 0);
        addText(block, background, point.explanation, pixelFont(font(), kBodyPixelSize, QFont::Normal),
                PanelColors::Role::label, 0);
        addText(block, background, point.example, pixelFont(font(), kBodyPixelSize, QFont::Normal, true),
                PanelColors::Role::secondaryLabel, 0);
        section->addLayout(block);
    }
}
