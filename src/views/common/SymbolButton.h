#pragma once

#include "views/common/PanelColors.h"

#include <QString>
#include <QToolButton>

// The panels' icon buttons: 30 × 30, flat until hovered, the help text as tooltip and
// accessible name, the glyph in a colour role of the panels. Remembers its symbol so tests can
// read it back.
class SymbolButton : public QToolButton {
    Q_OBJECT

public:
    explicit SymbolButton(QWidget *parent = nullptr);
    SymbolButton(const QString &symbolName, const QString &helpText, QWidget *parent = nullptr);

    void setSymbol(const QString &symbolName, PanelColors::Role role = PanelColors::Role::label);
    void setHelpText(const QString &helpText);

    const QString &symbolName() const { return m_symbolName; }

private:
    QString m_symbolName;
    PanelColors::Role m_role = PanelColors::Role::label;
};
