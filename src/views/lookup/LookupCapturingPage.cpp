#include "views/lookup/LookupCapturingPage.h"

#include "views/common/ActivityIndicator.h"
#include "views/common/PanelColors.h"
#include "views/common/PlainTextLabel.h"
#include "views/lookup/LookupPanelPage.h"

LookupCapturingPage::LookupCapturingPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = LookupPanelPage::centredColumn(this);
    layout->addWidget(new ActivityIndicator(26, this), 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    QLabel *title = makePlainTextLabel(QStringLiteral("正在读取选中文本"), 17, QFont::DemiBold, this);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    QLabel *detail = makePlainTextLabel(QStringLiteral("会短暂使用剪贴板完成捕获"), 13, QFont::Normal, this,
                                        PanelColors::Role::secondaryLabel);
    detail->setAlignment(Qt::AlignCenter);
    layout->addWidget(detail);
    layout->addStretch(1);
}
