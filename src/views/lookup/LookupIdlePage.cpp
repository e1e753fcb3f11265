#include "views/lookup/LookupIdlePage.h"

#include "views/lookup/AutoSizingLookupTextView.h"
#include "views/lookup/LookupPanelPage.h"
#include "views/lookup/LookupTextField.h"

LookupIdlePage::LookupIdlePage(QWidget *parent) : QWidget(parent), m_field(new LookupTextField(this))
{
    using LookupPanelPage::kPadding;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    m_field->setPlaceholderText(LookupPanelPage::kPlaceholder);
    connect(m_field, &LookupTextField::submitted, this, &LookupIdlePage::submitted);
    layout->addWidget(m_field);
    layout->addStretch(1);
}

void LookupIdlePage::focusField()
{
    m_field->textView()->setFocus(Qt::OtherFocusReason);
}
