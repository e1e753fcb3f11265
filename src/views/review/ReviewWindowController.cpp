#include "views/review/ReviewWindowController.h"

#include "views/review/ReviewWindow.h"
#include "views/common/WindowPlacement.h"

ReviewWindowController::ReviewWindowController(WindowFactory makeWindow, QObject *parent)
    : QObject(parent), m_makeWindow(std::move(makeWindow))
{
    Q_ASSERT(m_makeWindow);
}

ReviewWindowController::ReviewWindowController(ModelContext &context, AppNotificationCenter &notifications,
                                               QObject *parent)
    : ReviewWindowController(
          [&context, &notifications] { return new ReviewWindow(ReviewWindow::storeFactory(context, notifications)); },
          parent)
{
}

ReviewWindowController::~ReviewWindowController()
{
    delete m_window.data();
}

void ReviewWindowController::show()
{
    if (m_window && m_window->isVisible()) {
        m_window->raise();
        m_window->activateWindow();
        return;
    }
    if (m_window) {
        // A hidden window may hold a stale queue; a new one loads what is due now.
        ReviewWindow *old = m_window.data();
        m_window.clear();
        old->deleteLater();
    }
    ReviewWindow *window = m_makeWindow();
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_window = window;
    WindowPlacement::centreOnScreenUnderPointer(window);
    window->show();
    window->raise();
    window->activateWindow();
}
