#pragma once

#include <QTextEdit>

// A plain-text editor that grows with its content, from one line (34 px) up to 150 px, and
// scrolls beyond that. Return (with or without modifiers) asks for a submit and never
// inserts a newline; pasted text keeps its line breaks.
class AutoSizingLookupTextView : public QTextEdit {
    Q_OBJECT

public:
    static constexpr int kMinimumHeight = 34;
    static constexpr int kMaximumHeight = 150;

    explicit AutoSizingLookupTextView(QWidget *parent = nullptr);

    // The laid-out document's height at the current width, rounded up, at least the minimum.
    int contentHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void submitRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateHeight();
};
