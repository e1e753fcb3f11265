#include "views/daily/DailyRecommendationTextView.h"

#include "badge/SelectionBadgeGeometry.h"
#include "views/badge/SelectionBadgePresenter.h"
#include "views/common/PanelTheme.h"

#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>

#include <cmath>

DailyRecommendationTextView::DailyRecommendationTextView(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setContextMenuPolicy(Qt::NoContextMenu);
    viewport()->setAutoFillBackground(false);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    document()->setDocumentMargin(0);

    // The layout reports the used height whenever it lays the text out anew: after new text
    // and after a change of width. That is the only time the height is measured.
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &DailyRecommendationTextView::updateHeight);
    m_badgeTimer.setSingleShot(true);
    m_badgeTimer.setInterval(kBadgeDelay);
    connect(&m_badgeTimer, &QTimer::timeout, this, &DailyRecommendationTextView::updateSelectionBadge);
    connect(this, &QTextEdit::selectionChanged, this, &DailyRecommendationTextView::scheduleSelectionBadgeUpdate);
    updateHeight();
}

void DailyRecommendationTextView::setContent(const QString &text, const QFont &font, PanelColors::Role role,
                                             qreal lineSpacing)
{
    setFont(font);
    document()->setDefaultFont(font);
    PanelTheme::setTextRole(this, role);
    setPlainText(text);
    if (lineSpacing > 0) {
        QTextBlockFormat format;
        format.setLineHeight(lineSpacing, QTextBlockFormat::LineDistanceHeight);
        QTextCursor cursor(document());
        cursor.select(QTextCursor::Document);
        cursor.mergeBlockFormat(format);
    }
    hideSelectionBadge();
}

std::optional<QString> DailyRecommendationTextView::selectedText() const
{
    // The paragraph separators of a multi-paragraph selection read as line breaks.
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

QToolButton *DailyRecommendationTextView::selectionBadgeButton() const { return m_badgeButton; }

void DailyRecommendationTextView::mouseReleaseEvent(QMouseEvent *event)
{
    QTextBrowser::mouseReleaseEvent(event);
    scheduleSelectionBadgeUpdate();
}

void DailyRecommendationTextView::focusOutEvent(QFocusEvent *event)
{
    QTextBrowser::focusOutEvent(event);
    // Another text took the click: only one selection (and badge) at a time. Switching to
    // another window, the lookup panel included, keeps both.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        QTextCursor cursor = textCursor();
        if (cursor.hasSelection()) {
            cursor.clearSelection();
            setTextCursor(cursor);
        }
    }
}

void DailyRecommendationTextView::scheduleSelectionBadgeUpdate()
{
    m_badgeTimer.stop();
    if (!selectedText()) {
        hideSelectionBadge();
        return;
    }
    m_badgeTimer.start();
}

void DailyRecommendationTextView::updateSelectionBadge()
{
    static const QRegularExpression latinLetter(QStringLiteral("[A-Za-z]"));
    const std::optional<QString> text = selectedText();
    if (!m_isSelectionBadgeEnabled || !m_isSelectionBadgeEnabled() || !text || !text->contains(latinLetter)) {
        hideSelectionBadge();
        return;
    }
    m_selectedTextForLookup = text;
    QWidget *host = m_badgeHost ? m_badgeHost.data() : this;
    if (!m_badgeButton || m_badgeButton->parentWidget() != host) {
        delete m_badgeButton.data();
        QToolButton *button = SelectionBadgePresenter::makeButton(host);
        connect(button, &QToolButton::clicked, this, &DailyRecommendationTextView::lookupSelectedText);
        m_badgeButton = button;
    }
    const QRectF frame = SelectionBadgeGeometry::badgeFrame(selectionEndPoint(), QRectF(rect()),
                                                            QSizeF(kBadgeExtent, kBadgeExtent), QPointF(10, 8));
    m_badgeButton->setGeometry(QRect(mapTo(host, frame.topLeft().toPoint()), QSize(kBadgeExtent, kBadgeExtent)));
    m_badgeButton->show();
    m_badgeButton->raise();
}

void DailyRecommendationTextView::hideSelectionBadge()
{
    m_badgeTimer.stop();
    m_selectedTextForLookup.reset();
    if (m_badgeButton)
        m_badgeButton->hide();
}

void DailyRecommendationTextView::lookupSelectedText()
{
    if (!m_selectedTextForLookup)
        return;
    const QString text = *m_selectedTextForLookup;
    hideSelectionBadge();
    if (m_onLookupRequested)
        m_onLookupRequested(text);
}

QPointF DailyRecommendationTextView::selectionEndPoint() const
{
    const QTextCursor selection = textCursor();
    if (!selection.hasSelection())
        return QRectF(rect()).center();
    QTextCursor end(document());
    end.setPosition(selection.selectionEnd());
    const QRect caret = cursorRect(end);
    return QPointF(viewport()->mapTo(this, caret.bottomRight()));
}

void DailyRecommendationTextView::updateHeight()
{
    const int height = std::max(1, static_cast<int>(std::ceil(document()->size().height())));
    if (height != this->height() || minimumHeight() != height) {
        setFixedHeight(height);
        updateGeometry();
    }
}
