#pragma once

#include "lookup/LookupResult.h"

#include <QWidget>

#include <optional>

class QLabel;

// While the AI works on a text and no quick answer has come yet: a spinner and the text,
// and under them the offline dictionary's Chinese glosses and pronunciations of a word.
class LookupLoadingPage : public QWidget {
    Q_OBJECT

public:
    explicit LookupLoadingPage(QWidget *parent = nullptr);

    // The text looked up, in the field's size for its length.
    void setText(const QString &text);
    // Hidden without a glance.
    void setOfflineGlance(const std::optional<LookupResult> &glance);

private:
    QLabel *m_text;
    QLabel *m_glancePronunciation;
    QLabel *m_glanceMeaning;
};
