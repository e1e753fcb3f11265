#include "views/common/ContentUnavailableView.h"

#include "views/common/PanelTheme.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kGlyphSize = 44;

} // namespace

ContentUnavailableView::ContentUnavailableView(QWidget *parent)
    : QWidget(parent),
      m_glyph(new QLabel(this)),
      m_title(new QLabel(this)),
      m_description(new QLabel(this)),
      m_actionButton(new QPushButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(8);
    layout->addStretch(1);
    m_glyph->setFixedSize(kGlyphSize, kGlyphSize);
    layout->addWidget(m_glyph, 0, Qt::AlignHCenter);
    layout->addSpacing(4);

    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignHCenter);
    m_title->setWordWrap(true);
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(18);
    titleFont.setWeight(QFont::Bold);
    m_title->setFont(titleFont);
    layout->addWidget(m_title);

    // Error messages land here, so they are plain text and may be copied.
    m_description->setTextFormat(Qt::PlainText);
    m_description->setAlignment(Qt::AlignHCenter);
    m_description->setWordWrap(true);
    m_description->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont descriptionFont = m_description->font();
    descriptionFont.setPixelSize(13);
    m_description->setFont(descriptionFont);
    PanelTheme::setTextRole(m_description, PanelColors::Role::secondaryLabel);
    m_description->hide();
    layout->addWidget(m_description);

    layout->addSpacing(6);
    m_actionButton->setMinimumHeight(30);
    m_actionButton->hide();
    layout->addWidget(m_actionButton, 0, Qt::AlignHCenter);
    connect(m_actionButton, &QPushButton::clicked, this, &ContentUnavailableView::actionTriggered);
    layout->addStretch(1);
}

void ContentUnavailableView::setSymbol(const QString &symbolName)
{
    if (symbolName == m_symbolName) {
        return;
    }
    m_symbolName = symbolName;
    PanelTheme::setGlyph(m_glyph, symbolName, PanelColors::Role::secondaryLabel, kGlyphSize);
}

void ContentUnavailableView::setTitle(const QString &title)
{
    m_title->setText(title);
}

void ContentUnavailableView::setDescription(const QString &description)
{
    m_description->setText(description);
    m_description->setVisible(!description.isEmpty());
}

void ContentUnavailableView::setActionText(const QString &text)
{
    m_actionButton->setText(text);
    m_actionButton->setMinimumWidth(m_actionButton->sizeHint().width() + 24);
    m_actionButton->setVisible(!text.isEmpty());
}

QString ContentUnavailableView::title() const
{
    return m_title->text();
}

QString ContentUnavailableView::description() const
{
    return m_description->text();
}
