#include "views/lookup/LookupFailedPage.h"

#include "views/common/PanelTheme.h"
#include "views/common/PlainTextLabel.h"
#include "views/common/SymbolIcon.h"
#include "views/lookup/LookupPanelPage.h"

#include <QPushButton>

LookupFailedPage::LookupFailedPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = LookupPanelPage::centredColumn(this);
    auto *icon = new QLabel(this);
    PanelTheme::setGlyph(icon, QStringLiteral("exclamationmark.triangle"), PanelColors::Role::warning, 40);
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    QLabel *title = makePlainTextLabel(QStringLiteral("查词失败"), 17, QFont::DemiBold, this);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    m_message = makePlainTextLabel(QString(), 14, QFont::Normal, this, PanelColors::Role::secondaryLabel);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_message);
    layout->addSpacing(6);
    m_retryButton = new QPushButton(SymbolIcon::icon(QStringLiteral("arrow.clockwise"), PanelColors::Role::label),
                                    QStringLiteral("重试"), this);
    m_retryButton->setToolTip(QStringLiteral("重试"));
    m_retryButton->setCursor(Qt::PointingHandCursor);
    connect(m_retryButton, &QPushButton::clicked, this, &LookupFailedPage::retryClicked);
    layout->addWidget(m_retryButton, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

void LookupFailedPage::setMessage(const QString &message)
{
    m_message->setText(message);
}
