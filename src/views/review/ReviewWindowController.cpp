#include "views/review/ReviewWindowController.h"

#include "views/review/ReviewWindow.h"
#include "views/common/WindowPlacement.h"
#include "storage/DatabaseChangeMonitor.h"
#include "storage/ModelContext.h"

ReviewWindowController::ReviewWindowController(WindowFactory makeWindow, QObject *parent)
    : QObject(parent), m_makeWindow(std::move(makeWindow))
{
    Q_ASSERT(m_makeWindow);
}

ReviewWindowController::ReviewWindowController(ModelContext &context, AppNotificationCenter &notifications,
                                               QObject *parent)
    : ReviewWindowController(
          [&context, &notifications] {
              auto *window = new ReviewWindow(ReviewWindow::storeFactory(context, notifications));
              // An answer given on the command line meanwhile takes its item out of the queue.
              auto *monitor = new DatabaseChangeMonitor(context.database(), window);
              QObject::connect(monitor, &DatabaseChangeMonitor::changedElsewhere, window, &ReviewWindow::load);
              return window;
          },
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
