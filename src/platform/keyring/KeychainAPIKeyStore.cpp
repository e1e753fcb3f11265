#include "platform/keyring/KeychainAPIKeyStore.h"

#include "logging/AppLogger.h"
#include "preferences/KeychainAPIKeyStoreError.h"

#include <QCoroSignal>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringDecoder>

#include <qt6keychain/keychain.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

const QString secretServiceName = QStringLiteral("org.freedesktop.secrets");
constexpr auto busCallTimeout = 5s;

qint32 statusFor(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return 0;
    case QKeychain::EntryNotFound:
        return KeychainAPIKeyStoreError::itemNotFoundStatus;
    case QKeychain::NoBackendAvailable:
        return KeychainAPIKeyStoreError::notAvailableStatus;
    case QKeychain::AccessDenied:
        return KeychainAPIKeyStoreError::authFailedStatus;
    case QKeychain::AccessDeniedByUser:
        return KeychainAPIKeyStoreError::userCanceledStatus;
    case QKeychain::NotImplemented:
        return KeychainAPIKeyStoreError::unimplementedStatus;
    case QKeychain::CouldNotDeleteEntry:
    case QKeychain::OtherError:
        break;
    }
    return KeychainAPIKeyStoreError::internalFailureStatus;
}

// One call to the bus daemon itself; absent when it failed or did not answer in time.
template<typename T>
QCoro::Task<std::optional<T>> askBusDaemon(QDBusConnection bus, const QString &method, QVariantList arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                       QStringLiteral("/org/freedesktop/DBus"),
                                                       QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(arguments);
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, static_cast<int>(busCallTimeout.count())));
    // D-Bus ends the call itself after busCallTimeout; the margin only bounds our wait.
    if (!watcher.isFinished())
        co_await qCoro(&watcher, &QDBusPendingCallWatcher::finished, busCallTimeout + 1s);
    if (!watcher.isFinished())
        co_return std::nullopt;
    const QDBusPendingReply<T> reply = watcher;
    if (reply.isError())
        co_return std::nullopt;
    co_return reply.value();
}

// Whether something serves the Secret Service now or would be started on first use.
QCoro::Task<bool> secretServiceIsReachable()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        co_return false;
    // Arguments are built outside the co_await expressions: GCC 12 miscompiles braced lists there.
    QVariantList nameArgument;
    nameArgument.append(secretServiceName);
    const auto running = co_await askBusDaemon<bool>(bus, QStringLiteral("NameHasOwner"), nameArgument);
    if (running.value_or(false))
        co_return true;
    const auto activatable = co_await askBusDaemon<QStringList>(bus, QStringLiteral("ListActivatableNames"), QVariantList());
    co_return activatable && activatable->contains(secretServiceName);
}

struct JobOutcome {
    QKeychain::Error error = QKeychain::NoError;
    QByteArray data;
    bool timedOut = false;
};

// Runs a prepared job to its end, or gives up on it after `timeout`.
QCoro::Task<JobOutcome> run(QKeychain::Job *job, std::chrono::milliseconds timeout)
{
    job->setAutoDelete(false);
    job->setInsecureFallback(false);
    auto finished = qCoro(job, &QKeychain::Job::finished, timeout);
    job->start();
    const auto result = co_await std::move(finished);
    JobOutcome outcome;
    if (!result) {
        // A job cannot be cancelled; let it delete itself should it ever finish.
        job->setAutoDelete(true);
        outcome.timedOut = true;
        co_return outcome;
    }
    outcome.error = job->error();
    if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(job))
        outcome.data = read->binaryData();
    job->deleteLater();
    co_return outcome;
}

[[noreturn]] void fail(const JobOutcome &outcome)
{
    throw KeychainAPIKeyStoreError::unhandledStatus(
        outcome.timedOut ? KeychainAPIKeyStoreError::interactionNotAllowedStatus : statusFor(outcome.error));
}

} // namespace

KeychainAPIKeyStore::KeychainAPIKeyStore(QString service, QString account)
    : m_service(std::move(service)), m_account(std::move(account))
{
}

QCoro::Task<QString> KeychainAPIKeyStore::loadAPIKey()
{
    // The store may be gone when we resume; work on copies.
    const QString service = m_service;
    const QString account = m_account;
    const auto timeout = m_timeout;

    if (!co_await secretServiceIsReachable())
        throw KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus);

    auto *job = new QKeychain::ReadPasswordJob(service);
    job->setKey(account);
    const JobOutcome outcome = co_await run(job, timeout);
    if (!outcome.timedOut && outcome.error == QKeychain::EntryNotFound)
        co_return QString();
    if (outcome.timedOut || outcome.error != QKeychain::NoError)
        fail(outcome);

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString key = decoder.decode(outcome.data);
    if (decoder.hasError())
        co_return QString();
    AppLogger::registerSecret(key);
    co_return key;
}

QCoro::Task<void> KeychainAPIKeyStore::saveAPIKey(QString key)
{
    AppLogger::registerSecret(key);
    const QString service = m_service;
    const QString account = m_account;
    const auto timeout = m_timeout;

    if (!co_await secretServiceIsReachable())
        throw KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus);

    if (key.isEmpty()) {
        auto *job = new QKeychain::DeletePasswordJob(service);
        job->setKey(account);
        const JobOutcome outcome = co_await run(job, timeout);
        if (outcome.timedOut || (outcome.error != QKeychain::NoError && outcome.error != QKeychain::EntryNotFound))
            fail(outcome);
        co_return;
    }

    // Writing replaces an existing secret of the same service and account.
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setKey(account);
    job->setTextData(key);
    const JobOutcome outcome = co_await run(job, timeout);
    if (outcome.timedOut || outcome.error != QKeychain::NoError)
        fail(outcome);
}
