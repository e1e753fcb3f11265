#pragma once

#include "hotkey/HotkeyRegistrationBackend.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

// The hotkey where the desktop hands out global shortcuts through the desktop portal's
// GlobalShortcuts interface (KDE Plasma 5.27+, GNOME 48+, Hyprland): a portal session holds
// one shortcut, "查词", with Alt+D as the preferred trigger; the desktop may ask the learner,
// assign another key, or refuse. Its Activated signal runs the handler. Registration only
// starts the binding, which the portal answers later (a blocking question would stall the
// event loop while the portal starts on demand): a refusal is logged, and the hotkey then
// never fires. Main thread only.
class PortalGlobalShortcutsBackend : public QObject, public HotkeyRegistrationBackend {
    Q_OBJECT

public:
    enum class State { unbound, binding, bound, refused };

    static QString defaultServiceName() { return QStringLiteral("org.freedesktop.portal.Desktop"); }
    static QString shortcutId() { return QStringLiteral("lookup-selection"); }

    // `serviceName`: whoever implements the portal on `bus` (tests pass a stand-in).
    explicit PortalGlobalShortcutsBackend(QDBusConnection bus = QDBusConnection::sessionBus(),
                                          QString serviceName = defaultServiceName());
    ~PortalGlobalShortcutsBackend() override;

    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override;
    void removeHandler(std::unique_ptr<HotkeyHandlerToken> token) override;
    // Starts binding; a portal without global shortcuts refuses like a desktop that says no.
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override;
    // Closes the portal session, which releases the shortcut.
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token) override;

    State state() const { return m_state; }
    // The key the desktop actually assigned, as it describes it; empty until bound.
    const QString &assignedTrigger() const { return m_assignedTrigger; }

private slots:
    void onSessionCreated(uint response, const QVariantMap &results);
    void onShortcutsBound(uint response, const QVariantMap &results);
    void onActivated(const QDBusObjectPath &session, const QString &shortcut, qulonglong timestamp,
                     const QVariantMap &options);

private:
    // Calls `method` with the handle token appended to `arguments` and has the portal's
    // Response, sent on the request object, reach `responseSlot`.
    void request(const QString &method, QVariantList arguments, QVariantMap options, const char *responseSlot);
    // Stops listening on the answered request; true when the binding goes on, else refuses.
    bool accepted(const QString &step, const char *responseSlot, uint response);
    void refuse(const QString &step, uint response);
    void closeSession();

    QDBusConnection m_bus;
    QString m_serviceName;
    std::function<void()> m_onTrigger;
    State m_state = State::unbound;
    QString m_sessionHandle;
    QString m_assignedTrigger;
    QString m_pendingRequestPath;
    quint64 m_requestCounter = 0;
};
