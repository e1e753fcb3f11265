#include "views/common/PlainTextLabel.h"

#include "views/common/PanelTheme.h"

QLabel *makePlainTextLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent,
                           std::optional<PanelColors::Role> role)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    label->setFont(font);
    if (role) {
        PanelTheme::setTextRole(label, *role);
    }
    return label;
}
