#pragma once

#include "foundation/AppNotificationCenter.h"

#include <QObject>
#include <QPointer>

#include <functional>

class CollectionWindow;
class ModelContext;

// Keeps at most one collection window. Opening it while it is open brings that window to
// the front and has it reload, instead of making a second one.
class CollectionWindowController : public QObject {
    Q_OBJECT

public:
    using WindowFactory = std::function<CollectionWindow *()>;

    CollectionWindowController(WindowFactory makeWindow, AppNotificationCenter &notifications,
                               QObject *parent = nullptr);
    // Windows over the application's collection, with the real save dialog and alert.
    CollectionWindowController(ModelContext &context, AppNotificationCenter &notifications, QObject *parent = nullptr);
    ~CollectionWindowController() override;

    // Opens the window, or posts "reloadCollection" and raises the open one.
    void show();
    // The open window; null once it has been closed.
    CollectionWindow *window() const { return m_window; }

private:
    WindowFactory m_makeWindow;
    AppNotificationCenter &m_notifications;
    QPointer<CollectionWindow> m_window;
};
