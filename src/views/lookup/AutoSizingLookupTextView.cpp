#include "views/lookup/AutoSizingLookupTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

AutoSizingLookupTextView::AutoSizingLookupTextView(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The layout reports every change of the used height: typing, a font change, a rewrap
    // after a resize. The height follows it.
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &AutoSizingLookupTextView::updateHeight);
    updateHeight();
}

int AutoSizingLookupTextView::contentHeight() const
{
    const int used = static_cast<int>(std::ceil(document()->size().height()));
    return std::max(used, kMinimumHeight);
}

QSize AutoSizingLookupTextView::sizeHint() const
{
    return {QTextEdit::sizeHint().width(), height()};
}

QSize AutoSizingLookupTextView::minimumSizeHint() const
{
    return {QTextEdit::minimumSizeHint().width(), height()};
}

void AutoSizingLookupTextView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit submitRequested();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void AutoSizingLookupTextView::resizeEvent(QResizeEvent *event)
{
    QTextEdit::resizeEvent(event);
    updateHeight();
}

void AutoSizingLookupTextView::updateHeight()
{
    const int frame = 2 * frameWidth();
    const int visible = std::min(contentHeight(), kMaximumHeight) + frame;
    if (visible != height()) {
        setFixedHeight(visible);
        updateGeometry();
    }
}
