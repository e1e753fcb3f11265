#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class DailyRecommendationWindow;

// Keeps at most one daily article window: showing it again brings the open one to the front.
class DailyRecommendationWindowController : public QObject {
    Q_OBJECT

public:
    using WindowFactory = std::function<DailyRecommendationWindow *()>;

    explicit DailyRecommendationWindowController(WindowFactory makeWindow, QObject *parent = nullptr);
    ~DailyRecommendationWindowController() override;

    void show();
    // The open window; null once it has been closed.
    DailyRecommendationWindow *window() const { return m_window; }

private:
    WindowFactory m_makeWindow;
    QPointer<DailyRecommendationWindow> m_window;
};
