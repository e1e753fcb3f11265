#include "views/lookup/LookupExplanationSectionsView.h"

#include "views/lookup/LookupExplanationBlockView.h"

#include <QLabel>
#include <QVBoxLayout>

LookupExplanationSectionsView::LookupExplanationSectionsView(QWidget *parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

void LookupExplanationSectionsView::setSections(const QList<LookupResultDisplaySection> &sections)
{
    if (sections == m_sections && !m_rows.isEmpty()) {
        return;
    }
    m_sections = sections;
    for (QWidget *row : std::as_const(m_rows)) {
        delete row;
    }
    m_rows.clear();

    for (qsizetype index = 0; index < m_sections.size(); ++index) {
        const LookupResultDisplaySection &section = m_sections.at(index);
        auto *sectionWidget = new QWidget(this);
        auto *sectionLayout = new QVBoxLayout(sectionWidget);
        sectionLayout->setContentsMargins(0, index == 0 ? 0 : 18, 0, 0);
        sectionLayout->setSpacing(10);

        auto *title = new QLabel(sectionWidget);
        title->setObjectName(QStringLiteral("sectionTitle"));
        title->setTextFormat(Qt::PlainText);
        title->setText(section.title);
        title->setWordWrap(true);
        title->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont font = title->font();
        font.setPixelSize(kSectionTitleSize);
        font.setWeight(QFont::Bold);
        title->setFont(font);
        sectionLayout->addWidget(title);

        for (const LookupResultDisplayBlock &block : section.blocks) {
            sectionLayout->addWidget(new LookupExplanationBlockView(block, sectionWidget));
        }
        m_layout->addWidget(sectionWidget);
        // The layout would only show it on the next turn of the event loop.
        sectionWidget->show();
        m_rows.append(sectionWidget);
    }
}

QStringList LookupExplanationSectionsView::displayedTexts() const
{
    QStringList texts;
    for (QWidget *row : m_rows) {
        for (const QLabel *title : row->findChildren<QLabel *>(QStringLiteral("sectionTitle"))) {
            texts.append(title->text());
        }
        for (const LookupExplanationBlockView *block : row->findChildren<LookupExplanationBlockView *>()) {
            if (block->titleLabel()) {
                texts.append(block->titleLabel()->text());
            }
            for (const QLabel *line : block->lineLabels()) {
                texts.append(line->text());
            }
        }
    }
    return texts;
}
