#include "views/common/SymbolLabel.h"

#include "views/common/PanelColors.h"
#include "views/common/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int kGlyphSize = 15;

} // namespace

SymbolLabel::SymbolLabel(QWidget *parent) : QWidget(parent), m_glyph(new QLabel(this)), m_text(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    layout->addWidget(m_glyph);
    layout->addWidget(m_text);
    m_glyph->setFixedSize(kGlyphSize, kGlyphSize);
    m_text->setTextFormat(Qt::PlainText);
    QFont font = m_text->font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    m_text->setFont(font);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, PanelColors::secondaryLabel());
    m_text->setPalette(palette);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void SymbolLabel::setSymbol(const QString &symbolName)
{
    if (symbolName == m_symbolName) {
        return;
    }
    m_symbolName = symbolName;
    const QIcon icon = SymbolIcon::icon(symbolName, PanelColors::secondaryLabel());
    m_glyph->setPixmap(icon.pixmap(QSize(kGlyphSize, kGlyphSize), devicePixelRatioF()));
}

void SymbolLabel::setText(const QString &text)
{
    m_text->setText(text);
}

QString SymbolLabel::text() const
{
    return m_text->text();
}
