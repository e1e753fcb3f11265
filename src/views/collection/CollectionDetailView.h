#pragma once

#include "collection/LearningItem.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class ContentUnavailableView;
class SymbolButton;

// The right side of the collection window: the selected item's text, when it is next due,
// the star that removes it, and its stored explanation as titled sections; a placeholder
// while nothing is selected.
class CollectionDetailView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSectionSpacing = 22;

    explicit CollectionDetailView(QWidget *parent = nullptr);

    // None shows the placeholder. The same item again redraws only when its text, due time
    // or explanation changed.
    void setItem(const std::shared_ptr<LearningItem> &item);
    // A failure to report under the header (a removal that did not go through).
    void setErrorMessage(const std::optional<QString> &message);

    bool isShowingItem() const;
    ContentUnavailableView *placeholder() const { return m_placeholder; }
    SymbolButton *removeButton() const { return m_removeButton; }
    QLabel *textLabel() const { return m_textLabel; }
    QLabel *nextReviewLabel() const { return m_nextReviewLabel; }
    QLabel *errorLabel() const { return m_errorLabel; }
    // Section titles, block titles and lines in reading order.
    QStringList explanationTexts() const;

    // "下次复习：" and the date as a short local date and time.
    static QString nextReviewText(const QDateTime &nextReviewAt);

signals:
    void removeRequested();

private:
    QWidget *buildDetailPage();
    void renderExplanation(const QString &explanation);

    QStackedWidget *m_pages;
    ContentUnavailableView *m_placeholder;
    QWidget *m_detailPage = nullptr;
    QLabel *m_textLabel = nullptr;
    QLabel *m_nextReviewLabel = nullptr;
    QLabel *m_errorLabel = nullptr;
    SymbolButton *m_removeButton = nullptr;
    QScrollArea *m_scrollArea = nullptr;
    QWidget *m_explanation = nullptr;
    std::shared_ptr<LearningItem> m_item;
    QString m_renderedExplanation;
};
