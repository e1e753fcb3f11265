#pragma once

#include <QRect>
#include <QStringList>

class QWidget;

// 1600 × 900 at a scale of 2, under a desktop bar 32 pixels high.
inline constexpr QRect kSmallScreen(0, 32, 800, 418);

// The shown window's visible texts, icons and buttons whose colour stands out from what is
// drawn behind them by less than 4.5:1, one line each.
QStringList poorlyContrastedParts(QWidget *window);
// Why the window does not fit `available`: larger than it, squeezed below what a layout needs,
// or a button outside every scroll area cut off. Empty when it fits.
QStringList fitProblems(QWidget *window, const QRect &available);

// Switches the desktop to a dark palette and back to the light one while the window is open,
// fitting it to the small screen each time, and expects it to be readable and to fit in both.
void expectLegibleInBothSchemes(QWidget *window);
