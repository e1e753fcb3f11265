#pragma once

#include <QWidget>

class QLabel;
class SymbolButton;

// The dictionary knew nothing of the text: the text, why, and the switch to the AI.
class LookupReadyForAIPage : public QWidget {
    Q_OBJECT

public:
    explicit LookupReadyForAIPage(QWidget *parent = nullptr);

    void setContent(const QString &text, const QString &message);
    SymbolButton *sourceToggleButton() const { return m_toggleButton; }

signals:
    void sourceToggleClicked();

private:
    QLabel *m_text;
    QLabel *m_message;
    SymbolButton *m_toggleButton;
};
