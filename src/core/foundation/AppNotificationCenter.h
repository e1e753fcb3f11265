#pragma once

#include "foundation/AppNotification.h"

#include <QObject>

// Delivers the application's in-process notifications to everyone connected to `posted`,
// synchronously and in connection order, on the thread that posts (the main thread).
// The composition root makes one per process and hands it to everyone through constructors.
class AppNotificationCenter : public QObject {
    Q_OBJECT

public:
    explicit AppNotificationCenter(QObject *parent = nullptr) : QObject(parent) {}

    void post(AppNotification name) { emit posted(name); }

signals:
    void posted(AppNotification name);
};
