#pragma once

#include "lookup/LookupResultDisplaySection.h"

#include <QList>
#include <QWidget>

class QLabel;
class QVBoxLayout;
class LookupExplanationBlockView;

// Titled sections of titled blocks of lines, as the lookup panel and the review window show
// an explanation. Everything is selectable so the learner can copy a single line.
class LookupExplanationSectionsView : public QWidget {
    Q_OBJECT

public:
    explicit LookupExplanationSectionsView(QWidget *parent = nullptr);

    void setSections(const QList<LookupResultDisplaySection> &sections);
    const QList<LookupResultDisplaySection> &sections() const { return m_sections; }

    // Every text shown, in reading order: section titles, block titles and lines. Lets tests
    // and accessibility tools read the explanation without walking the widgets.
    QStringList displayedTexts() const;

    // Fonts of the explanation, in pixels.
    static constexpr int kSectionTitleSize = 16;
    static constexpr int kBlockTitleSize = 13;
    static constexpr int kLineSize = 15;

private:
    QVBoxLayout *m_layout;
    QList<LookupResultDisplaySection> m_sections;
    QList<QWidget *> m_rows;
};
