#include "views/daily/DailyRecommendationWindowController.h"

#include "views/common/WindowPlacement.h"
#include "views/daily/DailyRecommendationWindow.h"

DailyRecommendationWindowController::DailyRecommendationWindowController(WindowFactory makeWindow, QObject *parent)
    : QObject(parent), m_makeWindow(std::move(makeWindow))
{
    Q_ASSERT(m_makeWindow);
}

DailyRecommendationWindowController::~DailyRecommendationWindowController() { delete m_window.data(); }

void DailyRecommendationWindowController::show()
{
    if (!m_window) {
        DailyRecommendationWindow *window = m_makeWindow();
        // Closing ends the window and its view model; the next show loads afresh.
        window->setAttribute(Qt::WA_DeleteOnClose);
        m_window = window;
        WindowPlacement::centreOnScreenUnderPointer(window);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
