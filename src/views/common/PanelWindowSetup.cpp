#include "views/common/PanelWindowSetup.h"

#include "views/common/PanelColors.h"

#include <QWidget>

void setUpPanelWindow(QWidget *window, const QString &title, QSize size, QSize minimumSize)
{
    window->setWindowTitle(title);
    window->setMinimumSize(minimumSize);
    window->resize(size);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, PanelColors::appPageBackground());
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}
