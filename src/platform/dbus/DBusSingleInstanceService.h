#pragma once

#include <QCoroTask>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class SingleInstanceDBusObject;

// Keeps one tray application per user session. The first instance owns a well-known name
// on the session bus and exports Open(what) under it; later starts and `rarozezev open`
// hand their requests to that instance instead of running a second one. The instance also
// answers LookupPanelStatus() with a JSON description of its lookup panel, for scripts and
// for the end-to-end tests, which must not depend on pixels.
class DBusSingleInstanceService {
public:
    enum class ClaimResult { claimed, alreadyRunning, busUnavailable };

    // A request the running instance could not honour, or one that never reached it.
    class RequestError : public std::runtime_error {
    public:
        enum class Kind { busUnavailable, noReply, rejected };
        RequestError(Kind kind, const QString &message)
            : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message)
        {
        }
        Kind kind() const { return m_kind; }
        // For `rejected`, the running instance's own message; a technical text otherwise.
        const QString &message() const { return m_message; }

    private:
        Kind m_kind;
        QString m_message;
    };

    // Carries out one request in the running instance: nothing on success, else the
    // user-facing reason, which the requester receives as a D-Bus error.
    using OpenHandler = std::function<std::optional<QString>(const QString &what)>;
    // Captures the selection and opens the panel, as the hotkey does: nothing when started,
    // else the user-facing reason.
    using SelectionLookupHandler = std::function<std::optional<QString>()>;
    // The JSON text LookupPanelStatus() answers.
    using StatusHandler = std::function<QString()>;
    // Follows a preference another process changed: nothing, or why the running instance
    // could not (PreferenceChanged answers it; an empty text means done).
    using PreferenceHandler = std::function<std::optional<QString>(const QString &key)>;

    static QString defaultServiceName() { return QStringLiteral("com.rarozezev.Rarozezev"); }
    static QString objectPath() { return QStringLiteral("/com/rarozezev/Rarozezev"); }
    static QString interfaceName() { return QStringLiteral("com.rarozezev.Rarozezev"); }
    static QString rejectedErrorName() { return QStringLiteral("com.rarozezev.Rarozezev.Error.Rejected"); }

    // `connectionName` empty: the process's shared session bus connection; otherwise a
    // private connection of that name (tests play two instances in one process).
    explicit DBusSingleInstanceService(OpenHandler handler, StatusHandler statusHandler = {},
                                       QString serviceName = defaultServiceName(), QString connectionName = {});
    // Gives the name up.
    ~DBusSingleInstanceService();
    DBusSingleInstanceService(const DBusSingleInstanceService &) = delete;
    DBusSingleInstanceService &operator=(const DBusSingleInstanceService &) = delete;

    // Before claim(); without one PreferenceChanged is accepted and does nothing.
    void setPreferenceHandler(PreferenceHandler handler);

    // Exports the object and takes the name unless another process holds it. Never queues
    // for the name: a second instance must hand over at once, not wait its turn.
    ClaimResult claim();
    // Answers LookUpSelection(); until set, the caller is told the program is still starting.
    void setSelectionLookupHandler(SelectionLookupHandler handler);
    bool isClaimed() const { return m_claimed; }

    // The requesting side, over the shared session bus connection.
    static bool isSessionBusAvailable();
    static bool isInstanceRunning(const QString &serviceName = defaultServiceName());
    // The running instance's answer to LookupPanelStatus(). Throws RequestError.
    static QCoro::Task<QString> requestLookupPanelStatus(std::chrono::milliseconds timeout,
                                                         QString serviceName = defaultServiceName());
    // The process id of the running instance; none when no instance runs.
    static std::optional<qint64> instanceProcessId(const QString &serviceName = defaultServiceName());
    // True as soon as the name has an owner; false when the time runs out first.
    static QCoro::Task<bool> waitForInstance(std::chrono::milliseconds timeout,
                                             QString serviceName = defaultServiceName());
    // Asks the running instance to look up the current selection. Throws RequestError.
    static QCoro::Task<void> requestSelectionLookup(std::chrono::milliseconds timeout,
                                                    QString serviceName = defaultServiceName());
    // Asks the running instance to open `what`. Throws RequestError.
    static QCoro::Task<void> requestOpen(QString what, std::chrono::milliseconds timeout,
                                         QString serviceName = defaultServiceName());

    // Tells the running instance that the preference `key` changed: nothing when it followed,
    // else its reason. Throws RequestError.
    static QCoro::Task<std::optional<QString>> requestPreferenceChanged(QString key, std::chrono::milliseconds timeout,
                                                                        QString serviceName = defaultServiceName());

private:
    void release();

    QString m_serviceName;
    QString m_connectionName;
    std::unique_ptr<SingleInstanceDBusObject> m_object;
    bool m_claimed = false;
    bool m_objectRegistered = false;
};
