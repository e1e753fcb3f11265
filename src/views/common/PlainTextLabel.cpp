#include "views/common/PlainTextLabel.h"

#include <QPalette>

QLabel *makePlainTextLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent,
                           std::optional<QColor> colour)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    label->setFont(font);
    if (colour) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, *colour);
        label->setPalette(palette);
    }
    return label;
}
