#pragma once

#include "foundation/AppNotification.h"

#include <QObject>

// Delivers the application's in-process notifications to everyone connected to `posted`,
// synchronously and in connection order, on the thread that posts (the main thread).
// Services take a centre through their constructor so tests can watch their own.
class AppNotificationCenter : public QObject {
    Q_OBJECT

public:
    explicit AppNotificationCenter(QObject *parent = nullptr) : QObject(parent) {}

    // The application-wide centre.
    static AppNotificationCenter &shared();

    void post(AppNotification name) { emit posted(name); }

signals:
    void posted(AppNotification name);
};
