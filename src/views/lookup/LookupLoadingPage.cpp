#include "views/lookup/LookupLoadingPage.h"

#include "views/common/ActivityIndicator.h"
#include "views/common/PanelColors.h"
#include "views/common/PlainTextLabel.h"
#include "views/common/SymbolLabel.h"
#include "views/lookup/LookupPanelPage.h"
#include "views/lookup/LookupTextField.h"

LookupLoadingPage::LookupLoadingPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = LookupPanelPage::centredColumn(this);
    layout->addWidget(new ActivityIndicator(26, this), 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    QLabel *title = makePlainTextLabel(QStringLiteral("正在生成解释"), 17, QFont::DemiBold, this);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    m_text = makePlainTextLabel(QString(), LookupTextField::fontSize({}), QFont::Normal, this);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_text);
    auto *source = new SymbolLabel(this);
    source->setSymbol(LookupPanelPage::kAISymbol);
    source->setText(QStringLiteral("AI 查词"));
    layout->addWidget(source, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    m_glancePronunciation = makePlainTextLabel(QString(), 14, QFont::Normal, this, PanelColors::Role::secondaryLabel);
    m_glanceMeaning = makePlainTextLabel(QString(), 17, QFont::Normal, this);
    for (QLabel *label : {m_glancePronunciation, m_glanceMeaning}) {
        label->setAlignment(Qt::AlignCenter);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->hide();
        layout->addWidget(label);
    }
    layout->addStretch(1);
}

void LookupLoadingPage::setOfflineGlance(const std::optional<LookupResult> &glance)
{
    const LookupResult::SystemDictionaryDisplayParts parts =
        glance ? glance->systemDictionaryDisplayParts() : LookupResult::SystemDictionaryDisplayParts{};
    m_glancePronunciation->setText(parts.pronunciationLines.join(QStringLiteral("   ")));
    m_glanceMeaning->setText(parts.definitionLines.join(QLatin1Char('\n')));
    m_glancePronunciation->setVisible(!parts.pronunciationLines.isEmpty());
    m_glanceMeaning->setVisible(!parts.definitionLines.isEmpty());
}

void LookupLoadingPage::setText(const QString &text)
{
    m_text->setText(text);
    QFont font = m_text->font();
    font.setPixelSize(LookupTextField::fontSize(text));
    m_text->setFont(font);
}
