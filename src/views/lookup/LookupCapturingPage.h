#pragma once

#include <QWidget>

// While the selection is being captured: a spinner and what is going on.
class LookupCapturingPage : public QWidget {
    Q_OBJECT

public:
    explicit LookupCapturingPage(QWidget *parent = nullptr);
};
