#pragma once

#include "helpers/HelperProcess.h"
#include "platform/dbus/DBusSingleInstanceService.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QCoroProcess>
#include <QCoroTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace std::chrono_literals;

// The built program run as a user of the test's desktop session would (inside
// scripts/with-desktop-session.sh): the session's X display, bus and keyring, but a home and
// XDG directories of its own, and an AI service on this process's loopback server that
// explains every text as `explanation`. The logger is live, so the log shows what it recorded.
class TrayApplicationHarness : public ::testing::Test {
public:
    struct Result {
        int exitCode = -1;
        QString out, err;
    };

    TrayApplicationHarness()
    {
        for (const char *variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            environment.insert(QString::fromLatin1(variable), path(QString::fromLatin1(variable)));
        environment.remove(QStringLiteral("RAROZEZEV_AI_API_KEY"));
        server.setHandler([this](const LoopbackHTTPServer::Request &) {
            // The quick pass asks for a primary meaning, the full one for a contextual meaning.
            const QJsonObject content{{"primaryMeaning", quickExplanation}, {"contextualMeaning", explanation}};
            const QJsonObject message{{"content", QString::fromUtf8(QJsonDocument(content).toJson())}};
            const QJsonObject answer{{"choices", QJsonArray{QJsonObject{{"message", message}}}}};
            return LoopbackHTTPServer::Response::withBody(200, QJsonDocument(answer).toJson());
        });
    }
    ~TrayApplicationHarness() override { stopApplication(); }

    void SetUp() override { ASSERT_FALSE(DBusSingleInstanceService::isInstanceRunning()) << "an instance runs already"; }

    QString path(const QString &relative) const { return m_home.filePath(relative); }

    // Points the program at the loopback service, with its key in the session's keyring.
    void configureService()
    {
        ASSERT_EQ(run({"config", "set", "aiBaseURL", server.url(QStringLiteral("/v1/chat/completions")).toString()}).exitCode, 0);
        ASSERT_EQ(run({"config", "set", "aiModel", "test-model"}).exitCode, 0);
        ASSERT_EQ(run({"config", "set-key", "ai"}, apiKey).exitCode, 0);
    }

    // Runs the program once with `arguments` (a command, or a second plain start).
    Result run(const QStringList &arguments, const QByteArray &input = {},
               const QString &program = QStringLiteral(RAROZEZEV_EXECUTABLE))
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        // The server answers on this event loop, so the wait must not block it.
        waitForTask(qCoro(process).waitForFinished(60s));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "rarozezev crashed";
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Starts the tray application; waits until it owns its bus name unless told not to.
    bool startApplication(bool waitUntilRunning = true)
    {
        application = std::make_unique<QProcess>();
        application->setProcessEnvironment(environment);
        application->start(QStringLiteral(RAROZEZEV_EXECUTABLE), QStringList{});
        return application->waitForStarted(10000)
               && (!waitUntilRunning || waitForTask(DBusSingleInstanceService::waitForInstance(10s)));
    }

    // Ends the application as a session would (SIGTERM), and any instance a command started
    // detached; returns how the application this harness started ended.
    std::optional<Result> stopApplication()
    {
        std::optional<Result> result;
        if (application) {
            application->terminate();
            if (!waitForTask(qCoro(*application).waitForFinished(10s)))
                application->kill();
            application->waitForFinished(1000);
            result = Result{application->exitCode(), {}, QString::fromUtf8(application->readAllStandardError())};
            application.reset();
        }
        if (const std::optional<qint64> pid = DBusSingleInstanceService::instanceProcessId())
            ::kill(static_cast<pid_t>(*pid), SIGTERM);
        waitUntil([] { return !DBusSingleInstanceService::isInstanceRunning(); });
        return result;
    }

    // xdotool's standard output, trimmed.
    static QString xdotool(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        waitForTask(qCoro(process).waitForFinished(10s));
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // The ids of the mapped windows of the running application.
    static QStringList visibleWindows()
    {
        const std::optional<qint64> pid = DBusSingleInstanceService::instanceProcessId();
        const QString found = pid ? xdotool({"search", "--onlyvisible", "--pid", QString::number(*pid)}) : QString();
        return found.isEmpty() ? QStringList{} : found.split(QLatin1Char('\n'));
    }

    // Starts another application's window with `text` selected in it.
    void startTarget(const QString &text)
    {
        target = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CAPTURE_TARGET), QStringList{});
        ASSERT_TRUE(waitForTask(target->start())) << "the target window never got the focus";
        ASSERT_EQ(waitForTask(target->request("select " + text.toUtf8().toBase64())), "ok");
        targetWindow = xdotool({"getactivewindow"});
        ASSERT_FALSE(targetWindow.isEmpty());
    }

    // Polls `condition` on the event loop until it holds or `timeout` passes.
    template <typename Condition>
    static bool waitUntil(Condition condition, std::chrono::milliseconds timeout = 10s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition() && std::chrono::steady_clock::now() < deadline)
            waitForTask(QCoro::sleepFor(20ms));
        return condition();
    }

    // The lookup panel as the running application describes it; `loadedPanel` once it has
    // looked something up.
    static QJsonObject panelStatus()
    {
        return QJsonDocument::fromJson(waitForTask(DBusSingleInstanceService::requestLookupPanelStatus(5s)).toUtf8()).object();
    }
    static QJsonObject loadedPanel() { return waitUntil([] { return panelStatus()["state"] == "loaded"; }), panelStatus(); }

    // Whether a request whose prompt holds `text` arrived within ten seconds.
    bool serverReceivedPromptWith(const QString &text)
    {
        return waitUntil([&] {
            return std::any_of(server.requests().begin(), server.requests().end(),
                               [&](const auto &request) { return QString::fromUtf8(request.body).contains(text); });
        });
    }

    QString logText() const
    {
        QFile log(path(QStringLiteral("XDG_STATE_HOME/Rarozezev/Logs/Production/Rarozezev.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    QTemporaryDir m_home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    LoopbackHTTPServer server;
    const QByteArray apiKey = "sk-end-to-end-key";
    const QString explanation = QStringLiteral("起飞；迅速成功");
    const QString quickExplanation = QStringLiteral("快速：起飞");
    std::unique_ptr<QProcess> application;
    std::unique_ptr<HelperProcess> target;
    QString targetWindow;
};
