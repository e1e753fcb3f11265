#pragma once

#include <QWidget>

class QLabel;

// While the AI works on a text and no quick answer has come yet: a spinner and the text.
class LookupLoadingPage : public QWidget {
    Q_OBJECT

public:
    explicit LookupLoadingPage(QWidget *parent = nullptr);

    // The text looked up, in the field's size for its length.
    void setText(const QString &text);

private:
    QLabel *m_text;
};
