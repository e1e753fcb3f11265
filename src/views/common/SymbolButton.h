#pragma once

#include <QColor>
#include <QString>
#include <QToolButton>

#include <optional>

// The panels' icon buttons: 30 × 30, flat until hovered, the help text as tooltip and
// accessible name. Remembers its symbol so tests and tinting can read it back.
class SymbolButton : public QToolButton {
    Q_OBJECT

public:
    explicit SymbolButton(QWidget *parent = nullptr);
    SymbolButton(const QString &symbolName, const QString &helpText, QWidget *parent = nullptr);

    void setSymbol(const QString &symbolName, std::optional<QColor> tint = std::nullopt);
    void setHelpText(const QString &helpText);

    const QString &symbolName() const { return m_symbolName; }
    const std::optional<QColor> &tint() const { return m_tint; }

private:
    QString m_symbolName;
    std::optional<QColor> m_tint;
};
