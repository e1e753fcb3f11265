#pragma once

#include "capture/ScreenCaptureProcessDetector.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <optional>

struct xcb_connection_t;

// Tells whether a screenshot or screen-recording tool is running or in front, from the names
// of the running processes (/proc/PID/comm) and the WM_CLASS of the active window.
class X11ScreenCaptureProbe {
public:
    // `procDirectory` is where the process table is read; tests point it elsewhere.
    explicit X11ScreenCaptureProbe(QString procDirectory = QStringLiteral("/proc"));
    ~X11ScreenCaptureProbe();

    X11ScreenCaptureProbe(const X11ScreenCaptureProbe &) = delete;
    X11ScreenCaptureProbe &operator=(const X11ScreenCaptureProbe &) = delete;

    bool isScreenCaptureInterfaceActive();

    // One entry per process, named by its command name.
    QList<RunningApplication> runningApplications() const;
    // The active window's WM_CLASS as (class, instance); nothing without a window manager
    // that announces the active window.
    std::optional<RunningApplication> frontmostApplication() const;

private:
    QString m_procDirectory;
    xcb_connection_t *m_connection = nullptr;
    // The process table is read at most this often: a click reads it at press and release.
    QElapsedTimer m_processesAge;
    QList<RunningApplication> m_processes;
};
