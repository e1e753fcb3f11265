#include "platform/keyring/KeychainAPIKeyStore.h"

#include "preferences/KeychainAPIKeyStoreError.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const KeychainAPIKeyStoreError &error, std::ostream *os) { *os << "unhandledStatus(" << error.status() << ')'; }

namespace {

// Runs against the session's real keyring (scripts/with-desktop-session.sh provides one);
// without one the first operation fails with status -25291.
class KeychainAPIKeyStoreTest : public ::testing::Test {
protected:
    // A fresh account per test, so runs never see each other's secrets.
    static QString uniqueAccount()
    {
        return QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    }

    static KeychainAPIKeyStoreError failureOf(QCoro::Task<QString> task)
    {
        try {
            waitForTask(std::move(task));
        } catch (const KeychainAPIKeyStoreError &error) {
            return error;
        }
        ADD_FAILURE() << "no KeychainAPIKeyStoreError";
        return KeychainAPIKeyStoreError::unhandledStatus(0);
    }
};

TEST_F(KeychainAPIKeyStoreTest, SavesLoadsReplacesAndDeletesTheKey)
{
    KeychainAPIKeyStore store(KeychainAPIKeyStore::defaultService(), uniqueAccount());
    KeychainAPIKeyStore other(KeychainAPIKeyStore::defaultService(), uniqueAccount());
    EXPECT_EQ(waitForTask(store.loadAPIKey()), QString()) << "a missing key reads as empty";

    waitForTask(store.saveAPIKey(QStringLiteral("sk-first-key-123456")));
    EXPECT_EQ(waitForTask(store.loadAPIKey()), QStringLiteral("sk-first-key-123456"));

    const QString replacement = QStringLiteral("  sk-第二个密钥 \U0001F511 ");
    waitForTask(store.saveAPIKey(replacement));
    EXPECT_EQ(waitForTask(store.loadAPIKey()), replacement) << "kept exactly, spaces included";
    EXPECT_EQ(waitForTask(other.loadAPIKey()), QString()) << "another account is another secret";

    // A store built afresh finds the same secret.
    KeychainAPIKeyStore again(store.service(), store.account());
    EXPECT_EQ(waitForTask(again.loadAPIKey()), replacement);

    waitForTask(store.saveAPIKey(QString()));
    EXPECT_EQ(waitForTask(store.loadAPIKey()), QString());
    EXPECT_NO_THROW(waitForTask(store.saveAPIKey(QString()))) << "deleting a missing key succeeds";
}

// Both roles in one test: without RAROZEZEV_KEYCHAIN_BUS_PROBE it starts itself again on
// buses that have no Secret Service; with it, it is that child and checks the failures.
TEST_F(KeychainAPIKeyStoreTest, FailsAsNotAvailableWhenNoSecretServiceIsOnTheBus)
{
    if (qEnvironmentVariableIsSet("RAROZEZEV_KEYCHAIN_BUS_PROBE")) {
        KeychainAPIKeyStore store(KeychainAPIKeyStore::aiAPIKeyAccount());
        const auto notAvailable =
            KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus);
        EXPECT_EQ(failureOf(store.loadAPIKey()), notAvailable);
        auto save = [](KeychainAPIKeyStore &s, QString key) -> QCoro::Task<QString> {
            co_await s.saveAPIKey(std::move(key));
            co_return QString();
        };
        EXPECT_EQ(failureOf(save(store, QStringLiteral("sk-new"))), notAvailable) << "a failed write is no success";
        EXPECT_EQ(failureOf(save(store, QString())), notAvailable);
        return;
    }

    // A bus of our own with nothing on it and nothing to activate.
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString config = directory.filePath(QStringLiteral("bus.conf"));
    {
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)").arg(directory.path()).toUtf8());
    }
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.waitForStarted(5000));
    ASSERT_TRUE(bus.waitForReadyRead(5000)) << bus.readAllStandardError().toStdString();
    const QString emptyBus = QString::fromUtf8(bus.readLine().trimmed());
    ASSERT_FALSE(emptyBus.isEmpty());

    const QString unreachableBus = QStringLiteral("unix:path=") + directory.filePath(QStringLiteral("no-bus-here"));
    for (const QString &address : {emptyBus, unreachableBus}) {
        SCOPED_TRACE(address.toStdString());
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("RAROZEZEV_KEYCHAIN_BUS_PROBE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=KeychainAPIKeyStoreTest.FailsAsNotAvailableWhenNoSecretServiceIsOnTheBus")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    }

    bus.terminate();
    if (!bus.waitForFinished(5000))
        bus.kill();
}

} // namespace
