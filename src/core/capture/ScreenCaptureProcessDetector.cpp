#include "capture/ScreenCaptureProcessDetector.h"

#include <QLocale>

#include <algorithm>
#include <array>

namespace {

// Screenshot and screen-recording tools of Linux desktops, by the process name or WM_CLASS
// they run under, lower-cased. Names are matched whole: "obs" must not catch "jobs".
// Names containing "screenshot" (gnome-screenshot, deepin-screenshot, mate-screenshot) are
// caught by the substring rule and need no entry, except where a truncated process name
// loses the word (below).
constexpr std::array knownCaptureTools{
    "flameshot", "spectacle", "ksnip", "shutter", "scrot", "maim", "screengrab",
    "xfce4-screenshooter", "gnome-screenshot", "obs", "obs-studio", "simplescreenrecorder",
    "kazam", "peek", "vokoscreen", "vokoscreenng", "kooha", "recordmydesktop",
    "gtk-recordmydesktop", "gpu-screen-recorder", "green-recorder", "blue-recorder",
    "byzanz-record",
};

// The kernel keeps only the first 15 bytes of a process name (/proc/PID/comm), so
// "gnome-screenshot" runs as "gnome-screensho": a name of exactly that length also matches
// a tool whose name it begins.
constexpr qsizetype truncatedProcessNameLength = 15;

bool isKnownCaptureTool(const QString &name)
{
    return std::any_of(knownCaptureTools.begin(), knownCaptureTools.end(), [&](const char *tool) {
        const auto toolName = QLatin1String(tool);
        if (name == toolName)
            return true;
        return name.size() == truncatedProcessNameLength && toolName.startsWith(name);
    });
}

bool matchesName(const QString &name)
{
    const QString lowered = QLocale().toLower(name);
    if (lowered == QLatin1String("com.apple.screencaptureui") || lowered == QLatin1String("com.apple.screenshot"))
        return true;
    if (lowered.contains(QLatin1String("screencapture")) || lowered.contains(QLatin1String("screenshot")))
        return true;
    return isKnownCaptureTool(lowered);
}

} // namespace

bool ScreenCaptureProcessDetector::matchesScreenCaptureProcess(const std::optional<QString> &bundleIdentifier,
                                                               const std::optional<QString> &localizedName)
{
    return (bundleIdentifier && matchesName(*bundleIdentifier)) || (localizedName && matchesName(*localizedName));
}

bool ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive(
    const QList<RunningApplication> &runningApplications, const std::optional<RunningApplication> &frontmostApplication)
{
    const auto matches = [](const RunningApplication &application) {
        return matchesScreenCaptureProcess(application.bundleIdentifier, application.localizedName);
    };
    if (frontmostApplication && matches(*frontmostApplication))
        return true;
    return std::any_of(runningApplications.begin(), runningApplications.end(), matches);
}
