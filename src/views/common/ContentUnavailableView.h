#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// The centred placeholder a window shows when it has nothing to show: a large grey symbol,
// a title, an optional description and an optional action button.
class ContentUnavailableView : public QWidget {
    Q_OBJECT

public:
    explicit ContentUnavailableView(QWidget *parent = nullptr);

    void setSymbol(const QString &symbolName);
    void setTitle(const QString &title);
    // An empty description hides the line.
    void setDescription(const QString &description);
    // An empty text hides the button.
    void setActionText(const QString &text);

    const QString &symbolName() const { return m_symbolName; }
    QString title() const;
    QString description() const;
    QPushButton *actionButton() const { return m_actionButton; }

signals:
    void actionTriggered();

private:
    QLabel *m_glyph;
    QLabel *m_title;
    QLabel *m_description;
    QPushButton *m_actionButton;
    QString m_symbolName;
};
