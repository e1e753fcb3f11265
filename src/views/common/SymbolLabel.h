#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// A small glyph followed by a short text, like the panel's "AI 查词" and "系统词典" labels.
class SymbolLabel : public QWidget {
    Q_OBJECT

public:
    explicit SymbolLabel(QWidget *parent = nullptr);

    void setSymbol(const QString &symbolName);
    void setText(const QString &text);
    const QString &symbolName() const { return m_symbolName; }
    QString text() const;

private:
    QLabel *m_glyph;
    QLabel *m_text;
    QString m_symbolName;
};
