#pragma once

#include "daily/DailyRecommendation.h"
#include "views/common/PanelColors.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QVBoxLayout;
class DailyRecommendationTextView;

// The article as the reader shows it, in a column at most 760 px wide: the title with its
// subtitle and "换一篇", the article, the summary and the three lists of teaching points.
// Every text can be selected and looked up through its badge.
class DailyRecommendationArticleView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaximumColumnWidth = 760;

    DailyRecommendationArticleView(std::function<bool()> isSelectionBadgeEnabled,
                                   std::function<void(const QString &)> onLookupRequested, QWidget *parent = nullptr);

    // Rebuilds the texts only when the article differs from the one shown.
    void setRecommendation(const DailyRecommendation &recommendation);
    void setSubtitle(const QString &subtitle);
    void setRefreshVisible(bool visible);

    const std::optional<DailyRecommendation> &recommendation() const { return m_recommendation; }
    QPushButton *refreshButton() const { return m_refreshButton; }
    // Title, article, summary, then term, explanation and example of each point.
    const QList<DailyRecommendationTextView *> &textViews() const { return m_textViews; }

signals:
    void refreshRequested();

private:
    DailyRecommendationTextView *addText(QVBoxLayout *layout, QWidget *parent, const QString &text, const QFont &font,
                                         PanelColors::Role role, qreal lineSpacing);
    // A titled section whose content sits on a rounded, lightly filled background.
    QVBoxLayout *addSection(const QString &title, const QString &symbol);
    void addTeachingPoints(const QString &title, const QList<RecommendationTeachingPoint> &points);

    std::function<bool()> m_isSelectionBadgeEnabled;
    std::function<void(const QString &)> m_onLookupRequested;
    std::optional<DailyRecommendation> m_recommendation;
    QWidget *m_column;
    QVBoxLayout *m_columnLayout;
    QLabel *m_subtitle;
    QPushButton *m_refreshButton;
    QWidget *m_body = nullptr;
    QList<DailyRecommendationTextView *> m_textViews;
};
