#pragma once

#include <QTimer>
#include <QWidget>

// A small spinning arc for work of unknown length. It only animates while visible.
class ActivityIndicator : public QWidget {
    Q_OBJECT

public:
    explicit ActivityIndicator(int diameter = 22, QWidget *parent = nullptr);

    QSize sizeHint() const override { return {m_diameter, m_diameter}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_diameter;
    int m_angle = 0;
    QTimer m_timer;
};
