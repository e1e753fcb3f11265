#include "views/common/PanelColors.h"

#include <QApplication>
#include <QPalette>

QColor PanelColors::accent()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}
