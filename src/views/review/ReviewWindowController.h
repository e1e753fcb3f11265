#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class AppNotificationCenter;
class ModelContext;
class ReviewWindow;

// Keeps at most one review window. A visible one is brought to the front; one that was
// hidden without being closed is replaced, so a new session starts from a fresh load.
class ReviewWindowController : public QObject {
    Q_OBJECT

public:
    using WindowFactory = std::function<ReviewWindow *()>;

    explicit ReviewWindowController(WindowFactory makeWindow, QObject *parent = nullptr);
    // Windows over the application's collection.
    ReviewWindowController(ModelContext &context, AppNotificationCenter &notifications, QObject *parent = nullptr);
    ~ReviewWindowController() override;

    void show();
    // The current window; null once it has been closed.
    ReviewWindow *window() const { return m_window; }

private:
    WindowFactory m_makeWindow;
    QPointer<ReviewWindow> m_window;
};
