#include "app/desktop/DesktopServices.h"

#include "app/AppServices.h"
#include "app/AudioModule.h"
#include "app/cli/CommandIO.h"
#include "app/cli/DBusApplicationInstance.h"
#include "ai/OpenAICompatibleAIClient.h"
#include "capture/KeptSelectionPasteboard.h"
#include "capture/QTimerSelectionCaptureClock.h"
#include "capture/SelectionCaptureService.h"
#include "daily/OpenAICompatibleDailyRecommendationClient.h"
#include "daily/UserDefaultsDailyRecommendationCache.h"
#include "diagnostics/AIEndpointProbe.h"
#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"
#include "foundation/AppError.h"
#include "logging/AppLogger.h"
#include "lookup/UserDefaultsLookupResultCache.h"
#include "platform/dbus/FreedesktopNotificationCenter.h"
#include "platform/diagnostics/LinuxDesktopProbes.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/wayland/PortalRemoteDesktopKeyboard.h"
#include "platform/wayland/WaylandClipboardKeeper.h"
#include "platform/wayland/WaylandDataControlSelection.h"
#include "platform/wayland/WaylandMouseWatchUnavailable.h"
#include "platform/wayland/WaylandSelectionCapture.h"
#include "platform/x11/X11ClipboardServerProcess.h"
#include "platform/x11/X11HotkeyRegistrationBackend.h"
#include "platform/x11/X11KeyState.h"
#include "platform/x11/X11PermissionService.h"
#include "platform/x11/X11PrimarySelectionReader.h"
#include "platform/x11/X11RecordMouseMonitor.h"
#include "platform/x11/X11ScreenCaptureProbe.h"
#include "platform/x11/X11SelectionPasteboard.h"
#include "platform/x11/X11WorkspacePinning.h"
#include "platform/x11/XTestCopyEventPoster.h"
#include "preferences/AppPreferences.h"
#include "preferences/SQLiteUserDefaults.h"
#include "reminders/ReminderService.h"
#include "views/badge/SelectionBadgePresenter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace {

// A capture waits up to half a second for the copied text, polling every 20 ms.
constexpr quint64 kCaptureTimeoutNanoseconds = 500'000'000;
constexpr quint64 kCapturePollIntervalNanoseconds = 20'000'000;

} // namespace

DesktopServices::DesktopServices(AppServices &services)
    : m_services(services), m_selectionCaptureGate(std::make_shared<SelectionCaptureGate>())
{
}

DesktopServices::~DesktopServices() = default;

std::unique_ptr<SelectedTextCapturing> DesktopServices::makeSelectionCapture(std::shared_ptr<SelectionPasteboard> pasteboard,
                                                                            std::shared_ptr<SelectionCaptureGate> gate)
{
    return std::make_unique<SelectionCaptureService>(
        std::move(pasteboard), std::make_shared<XTestCopyEventPoster>(), std::make_shared<QTimerSelectionCaptureClock>(),
        std::make_shared<X11PrimarySelectionReader>(), [] { return X11PermissionService().isAccessibilityTrusted(); },
        kCaptureTimeoutNanoseconds, kCapturePollIntervalNanoseconds, std::move(gate));
}

bool DesktopServices::readsSelectionThroughWayland()
{
    if (m_session.kind != DesktopSession::Kind::wayland)
        return false;
    if (!m_waylandDataControl)
        m_waylandDataControl = WaylandDataControlSelection().isAvailable();
    return *m_waylandDataControl || QGuiApplication::platformName() != QLatin1String("xcb");
}

std::unique_ptr<SelectedTextCapturing> DesktopServices::makeSessionCapture(bool copyFallback)
{
    if (readsSelectionThroughWayland()) {
        if (!*m_waylandDataControl)
            return std::make_unique<WaylandSelectionCapture>(std::nullopt);
        if (copyFallback && !m_portalKeyboard) {
            m_portalKeyboard = std::make_shared<PortalRemoteDesktopKeyboard>();
            m_waylandClipboardKeeper = std::make_shared<std::unique_ptr<WaylandClipboardKeeper>>();
        }
        return std::make_unique<WaylandSelectionCapture>(
            WaylandDataControlSelection(), copyFallback ? std::optional(WaylandSelectionCapture::CopyFallback{
                                                              m_portalKeyboard, m_waylandClipboardKeeper})
                                                        : std::nullopt);
    }
    return makeSelectionCapture(std::make_shared<X11SelectionPasteboard>(), m_selectionCaptureGate);
}

void DesktopServices::logSessionMechanisms()
{
    if (m_session.kind != DesktopSession::Kind::wayland)
        return;
    const bool wayland = readsSelectionThroughWayland();
    const QString selection = !wayland              ? QStringLiteral("X11 through XWayland (X11 applications only)")
                              : *m_waylandDataControl ? QStringLiteral("wlr data-control")
                                                      : QStringLiteral("none: the compositor offers no data-control");
    AppLogger::error([&] {
        return QStringLiteral("Session %1: selection through %2; copy keystroke only through the desktop portal's "
                              "keyboard where granted; selection badge off; "
                              "hotkey through the desktop portal's global shortcuts, else bind `rarozezev trigger`; "
                              "windows %3.")
            .arg(m_session.description(), selection,
                 QGuiApplication::platformName() == QLatin1String("xcb") ? QStringLiteral("on X11 through XWayland")
                                                                         : QStringLiteral("placed by the compositor"));
    });
}

AppDelegate::Services DesktopServices::delegateServices()
{
    AppDelegate::Services services;
    logSessionMechanisms();
    // A new capture for each lookup, over the X11 clipboard all behind the one gate, or
    // through Wayland.
    services.makeSelectionCaptureService = [this] {
        return std::shared_ptr<SelectedTextCapturing>(makeSessionCapture(true));
    };
    services.aiClient = m_services.sharedAIClient();
    services.aiAPIKeyStore = m_services.aiAPIKeyStore();
    services.resultCache = m_services.sharedLookupResultCache();
    services.systemDictionary = m_services.sharedSystemDictionary();
    services.makeHotkeyBackend = [](const GlobalShortcut &shortcut) {
        return std::make_unique<X11HotkeyRegistrationBackend>(shortcut);
    };
    // One connection for the key state, made anew only when the hotkey's key changes.
    services.isHotkeyHeld = [keyState = std::make_shared<std::pair<quint32, std::unique_ptr<X11KeyState>>>()](
                                const GlobalShortcut &shortcut) {
        const quint32 keysym = X11HotkeyRegistrationBackend::keysym(shortcut);
        if (!keyState->second || keyState->first != keysym)
            *keyState = {keysym, std::make_unique<X11KeyState>(keysym)};
        return keyState->second->isDown();
    };
    services.isAnyKeyHeld = [keyState = std::make_shared<X11KeyState>(
                                 X11HotkeyRegistrationBackend::keysym(GlobalShortcut::defaultShortcut()))] {
        return keyState->isAnyKeyDown();
    };
    services.workspacePinning = &X11WorkspacePinning::apply;
    services.selectionBadge.makeMonitor = [] { return std::make_unique<X11RecordMouseMonitor>(); };
    services.selectionBadge.makePresenter = [] { return std::make_unique<SelectionBadgePresenter>(); };
    services.selectionBadge.makeCapture = [this] { return makeSessionCapture(true); };
    services.selectionBadge.pointerLocation = [] { return QPointF(QCursor::pos()); };
    services.makePronunciationServices = [this] { return m_services.pronunciationServices(std::nullopt); };
    services.selectionBadge.isScreenCaptureInterfaceActive = [probe = std::make_shared<X11ScreenCaptureProbe>()] {
        return probe->isScreenCaptureInterfaceActive();
    };
    services.dailyRecommendationGenerator = m_services.sharedDailyRecommendationClient();
    services.dailyRecommendationCache = m_services.sharedDailyRecommendationCache();
    services.makeReminderService = [this] { return std::make_shared<ReminderService>(reminderNotificationCenter()); };
    if (m_session.kind == DesktopSession::Kind::wayland) {
        // X11 sees the pointer only over X11 windows, and its key grabs only while one has the
        // focus; the desktop portal hands out global shortcuts where the desktop has it.
        services.selectionBadge.makeMonitor = [] { return std::make_unique<WaylandMouseWatchUnavailable>(); };
        // The desktop assigns the key there (it may ask the learner); Alt+D is only the preference.
        services.makeHotkeyBackend = [this](const GlobalShortcut &) {
            auto backend = std::make_unique<PortalGlobalShortcutsBackend>();
            m_portalShortcuts = backend.get();
            return backend;
        };
        services.isHotkeyHeld = nullptr;
        services.isAnyKeyHeld = nullptr;
    }
    return services;
}

FreedesktopNotificationCenter &DesktopServices::reminderNotificationCenter()
{
    if (!m_reminderNotificationCenter)
        m_reminderNotificationCenter = std::make_unique<FreedesktopNotificationCenter>(
            m_services.userDefaults(),
            FreedesktopNotificationCenter::Options{QStringLiteral("英语助手"), QStringLiteral("com.rarozezev.Rarozezev"), {}});
    return *m_reminderNotificationCenter;
}

SelectedTextCapturing &DesktopServices::commandSelectionCapture()
{
    if (!m_commandSelectionCapture && readsSelectionThroughWayland())
        m_commandSelectionCapture = makeSessionCapture(false);
    if (!m_commandSelectionCapture) {
        // Qt reaches the X11 clipboard only through its xcb platform, which main starts for
        // the commands that read the selection.
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            throw AppError::selectedTextUnavailable();
        // The command exits right after the capture, and the clipboard it put back would go
        // with it: a detached copy of this program keeps serving it.
        m_commandSelectionCapture = makeSelectionCapture(std::make_shared<KeptSelectionPasteboard>(
            std::make_shared<X11SelectionPasteboard>(), []() -> std::unique_ptr<SelectionPasteboardKeeping> {
                return X11ClipboardServerProcess::start(QCoreApplication::applicationFilePath());
            },
            [] {
                CommandIO{}.printError(
                    QStringLiteral("剪贴板服务未能接管原剪贴板内容，命令退出后原剪贴板内容将会丢失。\n"));
            }),
            m_selectionCaptureGate);
    }
    return *m_commandSelectionCapture;
}

ApplicationInstanceConnecting &DesktopServices::applicationInstance()
{
    if (!m_applicationInstance)
        m_applicationInstance = std::make_unique<DBusApplicationInstance>();
    return *m_applicationInstance;
}

QCoro::Task<DesktopCheck::Report> DesktopServices::checkDesktop(bool includeNetwork, bool hotkeyHeldHere)
{
    using Item = DesktopCheck::Item;
    using Result = DesktopCheck::ProbeResult;
    const auto now = [](Result (*probe)()) {
        return DesktopCheck::Probe([probe]() -> QCoro::Task<Result> { co_return probe(); });
    };
    const GlobalShortcut shortcut =
        GlobalShortcut::parse(m_services.preferences().globalShortcut()).value_or(GlobalShortcut::defaultShortcut());
    const bool wayland = m_session.kind == DesktopSession::Kind::wayland;
    QList<std::pair<Item, DesktopCheck::Probe>> probes = {
        {Item::displaySession, wayland ? DesktopCheck::Probe([session = m_session]() -> QCoro::Task<Result> {
             co_return LinuxDesktopProbes::waylandSession(session);
         })
                                       : now(&LinuxDesktopProbes::displaySession)},
        {Item::trayHost, now(&LinuxDesktopProbes::trayHost)},
        {Item::notificationServer, now(&LinuxDesktopProbes::notificationServer)},
        {Item::secretService, now(&LinuxDesktopProbes::secretService)},
        {Item::soundServer, DesktopCheck::Probe([]() -> QCoro::Task<Result> {
             co_return LinuxDesktopProbes::soundServer(AudioModule::load().hasAudioOutput());
         })},
    };
    if (wayland) {
        std::optional<LinuxDesktopProbes::PortalBinding> binding;
        if (m_portalShortcuts)
            binding = LinuxDesktopProbes::PortalBinding{m_portalShortcuts->state(), m_portalShortcuts->assignedTrigger()};
        probes << std::pair{Item::portalShortcut, DesktopCheck::Probe([desktop = m_session.desktop, binding] {
                                return LinuxDesktopProbes::portalShortcut(desktop, binding);
                            })}
               << std::pair{Item::dataControlSelection, now(&LinuxDesktopProbes::dataControlSelection)}
               << std::pair{Item::portalKeyboard, DesktopCheck::Probe(&LinuxDesktopProbes::portalKeyboard)}
               << std::pair{Item::waylandMouseWatch, now(&LinuxDesktopProbes::waylandMouseWatch)};
    } else {
        probes << std::pair{Item::hotkeyGrab, DesktopCheck::Probe([shortcut, hotkeyHeldHere]() -> QCoro::Task<Result> {
                                co_return LinuxDesktopProbes::hotkeyGrab(shortcut, hotkeyHeldHere);
                            })}
               << std::pair{Item::primarySelection, now(&LinuxDesktopProbes::primarySelection)}
               << std::pair{Item::xtest, now(&LinuxDesktopProbes::xtest)}
               << std::pair{Item::record, now(&LinuxDesktopProbes::record)};
    }
    probes << std::pair{Item::dictionaryData, DesktopCheck::Probe([]() -> QCoro::Task<Result> {
                            const WordNetDatabase wordNet;
                            co_return Result{wordNet.isAvailable(), wordNet.directory()};
                        })};
    if (includeNetwork) {
        probes.append({Item::aiEndpoint, [transport = m_services.sharedHTTPTransport(), url = m_services.preferences().aiBaseURL()] {
                           return AIEndpointProbe::probe(transport, url);
                       }});
    }
    co_return co_await DesktopCheck::run(std::move(probes));
}
