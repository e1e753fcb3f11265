#pragma once

#include <QCoroTask>
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <optional>

// Presses keys in the focused window of a Wayland desktop through the desktop portal's
// RemoteDesktop interface (GNOME, KDE Plasma), the one way Wayland lets a program press Ctrl+C
// in another. The desktop asks the learner once whether Rarozezev may use the keyboard; the
// grant lasts as long as this object, a refusal too (nobody is asked at every lookup). Main
// thread only.
class PortalRemoteDesktopKeyboard : public QObject {
    Q_OBJECT

public:
    enum class State { unasked, asking, granted, refused };

    static QString defaultServiceName() { return QStringLiteral("org.freedesktop.portal.Desktop"); }

    // `serviceName`: whoever implements the portal on `bus` (tests pass a stand-in).
    explicit PortalRemoteDesktopKeyboard(QDBusConnection bus = QDBusConnection::sessionBus(),
                                         QString serviceName = defaultServiceName());
    // Closes the portal session, which gives the keyboard back.
    ~PortalRemoteDesktopKeyboard() override;

    // Asks for the keyboard unless granted already, then presses Ctrl+C. False when the
    // desktop has no such portal, refuses, or the learner does not answer within a minute.
    QCoro::Task<bool> pressCopy();
    State state() const { return m_state; }

signals:
    void responded(uint response, const QVariantMap &results);
    void settled();

private slots:
    void onResponse(uint response, const QVariantMap &results);

private:
    QCoro::Task<bool> start();
    // Calls `method` with a handle token appended to `arguments` and waits for the portal's
    // Response on the request object; nothing when it fails, is refused or times out.
    QCoro::Task<std::optional<QVariantMap>> request(const QString &method, QVariantList arguments, QVariantMap options,
                                                    std::chrono::milliseconds timeout);
    QVariantMap sessionOptions();
    void refuse(const QString &step);
    void pressKey(int keysym, bool pressed);
    void closeSession();

    QDBusConnection m_bus;
    QString m_serviceName;
    State m_state = State::unasked;
    QString m_sessionHandle;
    QString m_pendingRequestPath;
    quint64 m_requestCounter = 0;
};
