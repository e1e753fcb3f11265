#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// A failed lookup: what went wrong and a button to try again.
class LookupFailedPage : public QWidget {
    Q_OBJECT

public:
    explicit LookupFailedPage(QWidget *parent = nullptr);

    void setMessage(const QString &message);
    QPushButton *retryButton() const { return m_retryButton; }

signals:
    void retryClicked();

private:
    QLabel *m_message;
    QPushButton *m_retryButton;
};
