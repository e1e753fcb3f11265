#include "views/collection/CollectionDetailView.h"

#include "collection/LearningItemExplanationParser.h"
#include "views/common/ContentUnavailableView.h"
#include "views/common/PanelColors.h"
#include "views/common/PlainTextLabel.h"
#include "views/common/SymbolButton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 24;

// Stored texts are selectable so the learner can copy a line.
QLabel *makeLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent,
                  std::optional<PanelColors::Role> role = std::nullopt)
{
    QLabel *label = makePlainTextLabel(text, pixelSize, weight, parent, role);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

CollectionDetailView::CollectionDetailView(QWidget *parent)
    : QWidget(parent), m_pages(new QStackedWidget(this)), m_placeholder(new ContentUnavailableView(this))
{
    m_placeholder->setObjectName(QStringLiteral("selectionPlaceholder"));
    m_placeholder->setSymbol(QStringLiteral("text.book.closed"));
    m_placeholder->setTitle(QStringLiteral("选择收藏项"));
    m_pages->addWidget(m_placeholder);
    m_detailPage = buildDetailPage();
    m_pages->addWidget(m_detailPage);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    m_pages->setCurrentWidget(m_placeholder);
}

QWidget *CollectionDetailView::buildDetailPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("detailPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(kPadding, kPadding, kPadding, 0);
    layout->setSpacing(12);

    auto *header = new QHBoxLayout;
    header->setSpacing(12);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(6);
    m_textLabel = makeLabel(QString(), 22, QFont::DemiBold, page);
    m_textLabel->setObjectName(QStringLiteral("itemText"));
    titles->addWidget(m_textLabel);
    m_nextReviewLabel = makeLabel(QString(), 13, QFont::Normal, page, PanelColors::Role::secondaryLabel);
    m_nextReviewLabel->setObjectName(QStringLiteral("nextReview"));
    titles->addWidget(m_nextReviewLabel);
    header->addLayout(titles, 1);
    m_removeButton = new SymbolButton(page);
    m_removeButton->setSymbol(QStringLiteral("star.fill"), PanelColors::Role::savedStar);
    m_removeButton->setHelpText(QStringLiteral("取消收藏"));
    m_removeButton->setIconSize(QSize(17, 17));
    connect(m_removeButton, &QToolButton::clicked, this, &CollectionDetailView::removeRequested);
    header->addWidget(m_removeButton, 0, Qt::AlignTop);
    layout->addLayout(header);

    m_errorLabel = makeLabel(QString(), 13, QFont::Normal, page, PanelColors::Role::errorText);
    m_errorLabel->setObjectName(QStringLiteral("errorLine"));
    m_errorLabel->hide();
    layout->addWidget(m_errorLabel);

    auto *divider = new QFrame(page);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    layout->addWidget(divider);

    m_scrollArea = new QScrollArea(page);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The page colour shows through instead of the scroll area's base colour.
    m_scrollArea->viewport()->setAutoFillBackground(false);
    layout->addWidget(m_scrollArea, 1);
    return page;
}

void CollectionDetailView::setItem(const std::shared_ptr<LearningItem> &item)
{
    m_item = item;
    if (!item) {
        m_pages->setCurrentWidget(m_placeholder);
        return;
    }
    m_textLabel->setText(item->text);
    m_nextReviewLabel->setText(nextReviewText(item->nextReviewAt));
    if (!m_explanation || item->explanation != m_renderedExplanation) {
        renderExplanation(item->explanation);
    }
    m_pages->setCurrentWidget(m_detailPage);
}

void CollectionDetailView::setErrorMessage(const std::optional<QString> &message)
{
    m_errorLabel->setText(message.value_or(QString()));
    m_errorLabel->setVisible(message.has_value());
}

bool CollectionDetailView::isShowingItem() const
{
    return m_pages->currentWidget() == m_detailPage;
}

QString CollectionDetailView::nextReviewText(const QDateTime &nextReviewAt)
{
    // The locale's short date, and the time to the minute: some locales' short time has seconds.
    const QDateTime local = nextReviewAt.toLocalTime();
    return QStringLiteral("下次复习：") + QLocale().toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + local.time().toString(QStringLiteral("HH:mm"));
}

void CollectionDetailView::renderExplanation(const QString &explanation)
{
    m_renderedExplanation = explanation;
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("explanation"));
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 4, 12, kPadding);
    layout->setSpacing(kSectionSpacing);
    for (const LearningItemExplanationSection &section : LearningItemExplanationParser::sections(explanation)) {
        auto *sectionLayout = new QVBoxLayout;
        sectionLayout->setSpacing(8);
        QLabel *title = makeLabel(section.title, 16, QFont::Bold, content);
        title->setObjectName(QStringLiteral("sectionTitle"));
        sectionLayout->addWidget(title);
        for (const LearningItemExplanationBlock &block : section.blocks) {
            auto *blockLayout = new QVBoxLayout;
            blockLayout->setSpacing(4);
            if (block.title) {
                QLabel *blockTitle =
                    makeLabel(*block.title, 13, QFont::DemiBold, content, PanelColors::Role::secondaryLabel);
                blockTitle->setObjectName(QStringLiteral("blockTitle"));
                blockLayout->addWidget(blockTitle);
            }
            for (const QString &line : block.lines) {
                QLabel *label = makeLabel(line, 15, QFont::Normal, content);
                label->setObjectName(QStringLiteral("blockLine"));
                blockLayout->addWidget(label);
            }
            sectionLayout->addLayout(blockLayout);
        }
        layout->addLayout(sectionLayout);
    }
    layout->addStretch(1);
    // Replacing the scroll area's widget deletes the previous explanation.
    m_scrollArea->setWidget(content);
    m_explanation = content;
}

QStringList CollectionDetailView::explanationTexts() const
{
    QStringList texts;
    if (!m_explanation) {
        return texts;
    }
    for (const QLabel *label : m_explanation->findChildren<QLabel *>()) {
        texts.append(label->text());
    }
    return texts;
}
