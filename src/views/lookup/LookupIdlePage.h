#pragma once

#include <QWidget>

class LookupTextField;

// The panel opened without a text: an empty field to type a text into and look it up.
class LookupIdlePage : public QWidget {
    Q_OBJECT

public:
    explicit LookupIdlePage(QWidget *parent = nullptr);

    LookupTextField *textField() const { return m_field; }
    void focusField();

signals:
    void submitted(const QString &currentText);

private:
    LookupTextField *m_field;
};
