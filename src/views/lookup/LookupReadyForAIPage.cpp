#include "views/lookup/LookupReadyForAIPage.h"

#include "views/common/PlainTextLabel.h"
#include "views/common/SymbolButton.h"
#include "views/common/SymbolLabel.h"
#include "views/lookup/LookupPanelPage.h"
#include "views/lookup/LookupTextField.h"

#include <QHBoxLayout>

LookupReadyForAIPage::LookupReadyForAIPage(QWidget *parent) : QWidget(parent)
{
    using LookupPanelPage::kPadding;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(12);
    m_text = makePlainTextLabel(QString(), LookupTextField::fontSize({}), QFont::Normal, this);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_text);

    auto *sourceRow = new QHBoxLayout;
    auto *source = new SymbolLabel(this);
    source->setSymbol(LookupPanelPage::kDictionarySymbol);
    source->setText(QStringLiteral("系统词典"));
    sourceRow->addWidget(source);
    sourceRow->addStretch(1);
    m_toggleButton = new SymbolButton(LookupPanelPage::kAISymbol, LookupPanelPage::kSwitchToAIHelp, this);
    connect(m_toggleButton, &QToolButton::clicked, this, &LookupReadyForAIPage::sourceToggleClicked);
    sourceRow->addWidget(m_toggleButton);
    layout->addLayout(sourceRow);

    m_message = makePlainTextLabel(QString(), 15, QFont::Normal, this);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_message);
    layout->addStretch(1);
}

void LookupReadyForAIPage::setContent(const QString &text, const QString &message)
{
    m_text->setText(text);
    QFont font = m_text->font();
    font.setPixelSize(LookupTextField::fontSize(text));
    m_text->setFont(font);
    m_message->setText(message);
}
