#pragma once

#include <QFrame>
#include <QString>

class AutoSizingLookupTextView;

// The panel's editable lookup text ("查词内容"): an auto-sizing field whose font shrinks as
// the text grows, so a long sentence still fits. Return submits the current text.
class LookupTextField : public QFrame {
    Q_OBJECT

public:
    explicit LookupTextField(QWidget *parent = nullptr);

    // Pixel size of the field's font for a text: 22 below 80 characters of trimmed text,
    // 20 up to 139, 18 from 140 on. Characters are counted as the reader sees them.
    static int fontSize(const QString &text);

    QString text() const;
    void setText(const QString &text);
    void setPlaceholderText(const QString &text);
    AutoSizingLookupTextView *textView() const { return m_textView; }

signals:
    // Return was pressed; carries the text as it is in the field (untrimmed).
    void submitted(const QString &currentText);

private:
    void updateFont();

    AutoSizingLookupTextView *m_textView;
    int m_fontSize = 0;
};
