#pragma once

#include <QList>
#include <QString>

#include <optional>

// One running program as the screen-capture check sees it. On this desktop the identifier
// is the class part of a window's WM_CLASS and the name a process name (/proc/PID/comm) or
// the instance part of WM_CLASS.
struct RunningApplication {
    std::optional<QString> bundleIdentifier;
    std::optional<QString> localizedName;
};

// Recognises screenshot and screen-recording programs, so that no copy keystroke is ever
// simulated into one of them.
class ScreenCaptureProcessDetector {
public:
    ScreenCaptureProcessDetector() = delete;

    // True when either name, lower-cased, is a known screenshot or recording tool or contains
    // "screencapture" or "screenshot".
    static bool matchesScreenCaptureProcess(const std::optional<QString> &bundleIdentifier,
                                            const std::optional<QString> &localizedName);

    // True when the application in front matches or, failing that, any running one does.
    static bool isScreenCaptureInterfaceActive(const QList<RunningApplication> &runningApplications,
                                               const std::optional<RunningApplication> &frontmostApplication);
};
