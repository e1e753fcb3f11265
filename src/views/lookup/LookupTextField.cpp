#include "views/lookup/LookupTextField.h"

#include "views/common/PanelTheme.h"
#include "views/lookup/AutoSizingLookupTextView.h"

#include <QTextBoundaryFinder>
#include <QVBoxLayout>

namespace {

qsizetype graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

} // namespace

LookupTextField::LookupTextField(QWidget *parent) : QFrame(parent), m_textView(new AutoSizingLookupTextView(this))
{
    setObjectName(QStringLiteral("lookupTextField"));
    setAccessibleName(QStringLiteral("查词内容"));
    m_textView->setAccessibleName(QStringLiteral("查词内容"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // A rounded box lifted off the page, like a text field, around the frameless editor.
    PanelTheme::setStyleSheet(this, QStringLiteral("QFrame#lookupTextField { background: @base;"
                                                   " border: 1px solid @border; border-radius: 8px; }"));
    m_textView->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; }"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(m_textView);

    connect(m_textView, &QTextEdit::textChanged, this, &LookupTextField::updateFont);
    connect(m_textView, &AutoSizingLookupTextView::submitRequested, this,
            [this] { emit submitted(m_textView->toPlainText()); });
    updateFont();
}

int LookupTextField::fontSize(const QString &text)
{
    const qsizetype count = graphemeCount(text.trimmed());
    if (count < 80) {
        return 22;
    }
    if (count < 140) {
        return 20;
    }
    return 18;
}

QString LookupTextField::text() const
{
    return m_textView->toPlainText();
}

void LookupTextField::setText(const QString &text)
{
    if (text == m_textView->toPlainText()) {
        return;
    }
    m_textView->setPlainText(text);
    QTextCursor cursor = m_textView->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_textView->setTextCursor(cursor);
}

void LookupTextField::setPlaceholderText(const QString &text)
{
    m_textView->setPlaceholderText(text);
}

void LookupTextField::updateFont()
{
    const int size = fontSize(m_textView->toPlainText());
    if (size == m_fontSize) {
        return;
    }
    m_fontSize = size;
    QFont font = m_textView->font();
    // Sizes in pixels: the field is designed in logical pixels, and point sizes would grow
    // with the screen's DPI and overflow the panel.
    font.setPixelSize(size);
    m_textView->setFont(font);
}
