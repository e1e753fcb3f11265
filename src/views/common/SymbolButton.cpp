#include "views/common/SymbolButton.h"

#include "views/common/SymbolIcon.h"

SymbolButton::SymbolButton(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setFixedSize(30, 30);
    setIconSize(QSize(18, 18));
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

SymbolButton::SymbolButton(const QString &symbolName, const QString &helpText, QWidget *parent)
    : SymbolButton(parent)
{
    setSymbol(symbolName);
    setHelpText(helpText);
}

void SymbolButton::setSymbol(const QString &symbolName, PanelColors::Role role)
{
    if (symbolName == m_symbolName && role == m_role && !icon().isNull()) {
        return;
    }
    m_symbolName = symbolName;
    m_role = role;
    setIcon(SymbolIcon::icon(m_symbolName, m_role));
}

void SymbolButton::setHelpText(const QString &helpText)
{
    setToolTip(helpText);
    setAccessibleName(helpText);
    setAccessibleDescription(helpText);
}
