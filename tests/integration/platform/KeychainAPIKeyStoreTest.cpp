#include "platform/keyring/KeychainAPIKeyStore.h"

#include "preferences/KeychainAPIKeyStoreError.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

// A fresh account per test on the session's real keyring, so that runs never see each other.
QString uniqueAccount() { return QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::WithoutBraces); }

template <typename T>
qint32 failureStatus(QCoro::Task<T> task)
{
    try {
        waitForTask(std::move(task));
    } catch (const KeychainAPIKeyStoreError &error) {
        return error.status();
    }
    return 0;
}

TEST(KeychainAPIKeyStoreTest, SavesLoadsReplacesAndDeletesTheKey)
{
    KeychainAPIKeyStore store(KeychainAPIKeyStore::defaultService(), uniqueAccount());
    KeychainAPIKeyStore other(KeychainAPIKeyStore::defaultService(), uniqueAccount());
    EXPECT_EQ(waitForTask(store.loadAPIKey()), QString()) << "a missing key reads as empty";
    waitForTask(store.saveAPIKey(QStringLiteral("sk-first-key-123456")));
    const QString replacement = QStringLiteral("  sk-第二个密钥 \U0001F511 ");
    waitForTask(store.saveAPIKey(replacement));
    EXPECT_EQ(waitForTask(KeychainAPIKeyStore(store.service(), store.account()).loadAPIKey()), replacement)
        << "kept exactly, spaces included, for a store built afresh";
    EXPECT_EQ(waitForTask(other.loadAPIKey()), QString()) << "another account is another secret";
    waitForTask(store.saveAPIKey(QString()));
    EXPECT_EQ(waitForTask(store.loadAPIKey()), QString());
    EXPECT_NO_THROW(waitForTask(store.saveAPIKey(QString()))) << "deleting a missing key succeeds";
}

// Both roles in one test: without RAROZEZEV_KEYCHAIN_BUS_PROBE it runs itself again on buses
// without a Secret Service; with it, it is that child and checks that every call fails.
TEST(KeychainAPIKeyStoreTest, FailsAsNotAvailableWhenNoSecretServiceIsOnTheBus)
{
    if (qEnvironmentVariableIsSet("RAROZEZEV_KEYCHAIN_BUS_PROBE")) {
        KeychainAPIKeyStore store(KeychainAPIKeyStore::aiAPIKeyAccount());
        // A locked or absent keyring must not pass for "no key saved", nor a failed write for a success.
        EXPECT_EQ(failureStatus(store.loadAPIKey()), KeychainAPIKeyStoreError::notAvailableStatus);
        EXPECT_EQ(failureStatus(store.saveAPIKey(QStringLiteral("sk-new"))), KeychainAPIKeyStoreError::notAvailableStatus);
        EXPECT_EQ(failureStatus(store.saveAPIKey(QString())), KeychainAPIKeyStoreError::notAvailableStatus);
        return;
    }

    // A bus of our own with nothing on it and nothing to activate, and no bus at all.
    QTemporaryDir directory;
    QFile config(directory.filePath(QStringLiteral("bus.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen><policy context=\"default\">"
                                "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                "<allow own=\"*\"/></policy></busconfig>")
                     .arg(directory.path())
                     .toUtf8());
    config.close();
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForReadyRead(5000)) << bus.readAllStandardError().toStdString();
    const QString emptyBus = QString::fromUtf8(bus.readLine().trimmed());
    for (const QString &address : {emptyBus, "unix:path=" + directory.filePath(QStringLiteral("no-bus-here"))}) {
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
        EXPECT_EQ(child.exitCode(), 0) << address.toStdString() << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    }
    bus.terminate();
    bus.waitForFinished(5000);
}

} // namespace
