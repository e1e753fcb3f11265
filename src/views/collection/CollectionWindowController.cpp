#include "views/collection/CollectionWindowController.h"

#include "views/collection/CollectionWindow.h"
#include "views/common/WindowPlacement.h"
#include "storage/DatabaseChangeMonitor.h"
#include "storage/ModelContext.h"

CollectionWindowController::CollectionWindowController(WindowFactory makeWindow, AppNotificationCenter &notifications,
                                                       QObject *parent)
    : QObject(parent), m_makeWindow(std::move(makeWindow)), m_notifications(notifications)
{
    Q_ASSERT(m_makeWindow);
}

CollectionWindowController::CollectionWindowController(ModelContext &context, AppNotificationCenter &notifications,
                                                       QObject *parent)
    : CollectionWindowController(
          [&context, &notifications] {
              auto *window = new CollectionWindow(CollectionWindow::storeFactory(context, notifications),
                                                  CollectionExportAction(), notifications);
              // Saves and removals made by the command line show up while the window is open.
              auto *monitor = new DatabaseChangeMonitor(context.database(), window);
              QObject::connect(monitor, &DatabaseChangeMonitor::changedElsewhere, window, &CollectionWindow::load);
              return window;
          },
          notifications, parent)
{
}

CollectionWindowController::~CollectionWindowController()
{
    delete m_window.data();
}

void CollectionWindowController::show()
{
    if (m_window) {
        m_notifications.post(AppNotification::reloadCollection);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
        return;
    }
    CollectionWindow *window = m_makeWindow();
    // Closing ends the window; the next show builds a fresh one.
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_window = window;
    WindowPlacement::centreOnScreenUnderPointer(window);
    window->show();
    window->raise();
    window->activateWindow();
}
