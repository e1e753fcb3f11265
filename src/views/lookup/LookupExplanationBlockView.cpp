#include "views/lookup/LookupExplanationBlockView.h"

#include "lookup/LookupResult.h"
#include "views/common/PanelTheme.h"
#include "views/lookup/LookupExplanationSectionsView.h"

#include <QGridLayout>
#include <QLabel>

#include <algorithm>

namespace {

QLabel *makeTextLabel(const QString &text, int pixelSize, bool bold, QWidget *parent)
{
    auto *label = new QLabel(parent);
    // Plain text: explanations come from a model and may hold '<' or '&'.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::DemiBold : QFont::Normal);
    label->setFont(font);
    return label;
}

} // namespace

LookupExplanationBlockView::LookupExplanationBlockView(const LookupResultDisplayBlock &block, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(5);
    layout->setColumnStretch(1, 1);

    int row = 0;
    if (block.title) {
        m_titleLabel = makeTextLabel(*block.title, LookupExplanationSectionsView::kBlockTitleSize, true, this);
        m_titleLabel->setObjectName(QStringLiteral("blockTitle"));
        PanelTheme::setTextRole(m_titleLabel, PanelColors::Role::secondaryLabel);
        layout->addWidget(m_titleLabel, row++, 0, 1, 2);
    }

    // Dictionary senses come numbered (①, ②, ...); bullets would only repeat that.
    const bool numbered = std::all_of(block.lines.cbegin(), block.lines.cend(), [](const QString &line) {
        return !line.isEmpty() && LookupResult::isCircledDictionaryNumber(QStringView(line).left(1));
    });
    const bool bulleted = block.title && block.lines.size() > 1 && !numbered;
    for (const QString &line : block.lines) {
        QLabel *label = makeTextLabel(line, LookupExplanationSectionsView::kLineSize, false, this);
        label->setObjectName(QStringLiteral("blockLine"));
        m_lineLabels.append(label);
        if (bulleted) {
            QLabel *bullet = makeTextLabel(QStringLiteral("•"), LookupExplanationSectionsView::kLineSize, false, this);
            bullet->setTextInteractionFlags(Qt::NoTextInteraction);
            layout->addWidget(bullet, row, 0, Qt::AlignTop);
            layout->addWidget(label, row++, 1);
        } else {
            layout->addWidget(label, row++, 0, 1, 2);
        }
    }
}
