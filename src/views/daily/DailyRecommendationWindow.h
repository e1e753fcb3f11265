#pragma once

#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QScrollArea;
class QStackedWidget;
class ContentUnavailableView;
class DailyRecommendationArticleView;
class DailyRecommendationHistorySidebar;
class DailyRecommendationViewModel;

// The ordinary window "今日英文推荐": the history on the left, today's (or the chosen) article
// on the right, a loading page while one is being written and a failure page with "重试".
// It loads today's article when it is first shown; closing it drops the view model, which
// cancels a generation under way.
class DailyRecommendationWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize kSize{980, 720};
    static constexpr QSize kMinimumSize{860, 620};

    // `isSelectionBadgeEnabled` is asked whenever a badge might appear; `onLookupRequested`
    // receives the text of a clicked badge.
    DailyRecommendationWindow(std::unique_ptr<DailyRecommendationViewModel> viewModel,
                              std::function<bool()> isSelectionBadgeEnabled,
                              std::function<void(const QString &)> onLookupRequested, QWidget *parent = nullptr);
    ~DailyRecommendationWindow() override;

    DailyRecommendationViewModel &viewModel() const { return *m_viewModel; }
    DailyRecommendationHistorySidebar *sidebar() const { return m_sidebar; }
    DailyRecommendationArticleView *articleView() const { return m_articleView; }
    ContentUnavailableView *failurePlaceholder() const { return m_failurePlaceholder; }
    QWidget *currentDetailPage() const;
    QWidget *loadingPage() const { return m_loadingPage; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildLoadingPage();
    void render();
    void renderSelection();

    std::unique_ptr<DailyRecommendationViewModel> m_viewModel;
    DailyRecommendationHistorySidebar *m_sidebar;
    QStackedWidget *m_detail;
    QWidget *m_loadingPage = nullptr;
    QLabel *m_loadingDifficulty = nullptr;
    ContentUnavailableView *m_failurePlaceholder;
    QScrollArea *m_articleScrollArea;
    DailyRecommendationArticleView *m_articleView;
    bool m_didStartLoading = false;
};
