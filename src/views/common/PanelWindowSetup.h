#pragma once

#include <QSize>
#include <QString>

class QWidget;

// What every window of the shell starts with: its title, its size (which it may not be made
// smaller than `minimumSize`) and the grey page colour behind its content.
void setUpPanelWindow(QWidget *window, const QString &title, QSize size, QSize minimumSize);
