#include "views/common/PanelWindowSetup.h"

#include "views/common/PanelTheme.h"

#include <QWidget>

void setUpPanelWindow(QWidget *window, const QString &title, QSize size, QSize minimumSize)
{
    window->setWindowTitle(title);
    window->setMinimumSize(minimumSize);
    window->resize(size);
    PanelTheme::followDesktop(window);
}
