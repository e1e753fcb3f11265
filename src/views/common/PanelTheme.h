#pragma once

#include "views/common/PanelColors.h"

#include <QString>

class QLabel;
class QWidget;

// Puts the panel colours on widgets and keeps them there when the desktop switches between
// light and dark while the program runs. The colours a widget was given by role are
// remembered on the widget, so that the window can give them again for the new scheme.
class PanelTheme {
public:
    // The page and its text colour on the window, now and after every change of the desktop's
    // palette or theme.
    static void followDesktop(QWidget *window);
    // Gives every remembered colour again, for the current desktop palette.
    static void apply(QWidget *window);

    // Text (and the text of an editor) in the role's colour.
    static void setTextRole(QWidget *widget, PanelColors::Role role);
    // The symbol drawn in the role's colour, `extent` pixels square.
    static void setGlyph(QLabel *label, const QString &symbolName, PanelColors::Role role, int extent);
    // A style sheet in which "@page", "@base", "@border" and the role names "@label",
    // "@secondaryLabel" and "@accent" stand for the current colours.
    static void setStyleSheet(QWidget *widget, const QString &styleSheet);
};
