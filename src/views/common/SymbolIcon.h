#pragma once

#include "views/common/PanelColors.h"

#include <QIcon>
#include <QString>

// The symbols the windows draw, by the symbol names the view models hand out ("star.fill",
// "doc.on.doc", ...). Each maps to a freedesktop icon-theme name so the buttons follow the
// desktop's theme; a small drawing of our own bundled as a resource stands in when the theme
// has no such icon, so a button never comes out blank.
class SymbolIcon {
public:
    // The icon-theme name standing for a symbol; empty for a symbol we do not know.
    static QString themeName(const QString &symbolName);
    // The resource path of our own drawing of the symbol; empty for a symbol we do not know.
    static QString bundledPath(const QString &symbolName);

    // The theme's icon (its symbolic variant first), else the bundled drawing; a null icon
    // for an unknown symbol.
    static QIcon icon(const QString &symbolName);
    // Recoloured in a role's colour of the scheme in use whenever it is drawn.
    static QIcon icon(const QString &symbolName, PanelColors::Role role);
};
