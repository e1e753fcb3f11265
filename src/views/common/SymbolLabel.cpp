#include "views/common/SymbolLabel.h"

#include "views/common/PanelTheme.h"

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
    PanelTheme::setTextRole(m_text, PanelColors::Role::secondaryLabel);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void SymbolLabel::setSymbol(const QString &symbolName)
{
    if (symbolName == m_symbolName) {
        return;
    }
    m_symbolName = symbolName;
    PanelTheme::setGlyph(m_glyph, symbolName, PanelColors::Role::secondaryLabel, kGlyphSize);
}

void SymbolLabel::setText(const QString &text)
{
    m_text->setText(text);
}

QString SymbolLabel::text() const
{
    return m_text->text();
}
