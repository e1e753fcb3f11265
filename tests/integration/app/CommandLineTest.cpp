#include "app/RarozezevApp.h"
#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"

#include "integration/app/TrayApplicationHarness.h"

#include <QDir>
#include <QTemporaryDir>

#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

// One run of each command family as a learner would type it; the tray application as `open`
// and later starts meet it.
namespace {

using CommandLineTest = TrayApplicationHarness;

QJsonArray listed(const TrayApplicationHarness::Result &run)
{
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out.toUtf8()).array();
}

TEST_F(CommandLineTest, LookupUsesTheConfiguredServiceOnceAndAnswersRepeatsFromTheCache)
{
    configureService();
    const Result first = run({"lookup", "take", "off"});
    EXPECT_TRUE(first.out.contains(explanation)) << first.err.toStdString();
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().header("Authorization"), "Bearer " + apiKey);
    EXPECT_EQ(QJsonDocument::fromJson(server.requests().first().body)["model"], "test-model");
    // The same text, spelled differently and given on standard input.
    EXPECT_EQ(run({"lookup"}, "  TAKE OFF \n").out, first.out);

    const Result quick = run({"lookup", "--pass", "fast", "--format", "json", "take off"});
    EXPECT_EQ(QJsonDocument::fromJson(quick.out.toUtf8())["primaryMeaning"], quickExplanation);
    // The offline dictionary needs no service.
    EXPECT_TRUE(run({"lookup", "--source", "dictionary", "serendipity"}).out.contains("fortunate discoveries"));
    EXPECT_EQ(server.requests().size(), 2);

    // Without the key in the keyring nothing is asked.
    EXPECT_EQ(run({"config", "delete-key", "ai"}).exitCode, 0);
    EXPECT_EQ(run({"lookup", "--no-cache", "take off"}).exitCode, 1);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(CommandLineTest, OfflineDictionaryAnswersInChineseAndWithTheLearnersStarDictDictionaries)
{
    const Result take = run({"lookup", "--source", "dictionary", "take"});
    EXPECT_TRUE(take.out.startsWith("# take\n"));
    EXPECT_LT(take.out.indexOf("- 中文："), take.out.indexOf("- ① "));

    // A plain dictionary copied into ~/.stardict/dic.
    QDir().mkpath(path("HOME/.stardict/dic/mine"));
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(path(QStringLiteral("HOME/.stardict/dic/mine/mine.") + QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const QByteArray article = "拿走；带去";
    write("ifo", "StarDict's dict ifo file\nversion=2.4.2\nbookname=我的词典\nwordcount=1\nsametypesequence=m\n");
    write("idx", QByteArray("take") + '\0' + QByteArray(4, '\0') + QByteArray(3, '\0') + char(article.size()));
    write("dict", article);
    EXPECT_TRUE(run({"lookup", "--source", "dictionary", "--list-dictionaries"}).out.contains("我的词典\t"));
    EXPECT_TRUE(run({"lookup", "--source", "dictionary", "take"}).out.contains("我的词典: 拿走；带去"));
}

TEST_F(CommandLineTest, SavedLookupsAreListedOnceReviewedAndExported)
{
    configureService();
    const Result saved = run({"lookup", "--save", "take", "off"});
    ASSERT_EQ(run({"lookup", "--save"}, "It's raining cats and dogs.\n").exitCode, 0);
    const Result again = run({"lookup", "--save", "--no-cache", "Take Off"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.err, saved.err) << "a second save must not claim to have added the item";
    const QJsonArray items = listed(run({"collection", "list", "--format", "json"}));
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]["text"], "It's raining cats and dogs.");
    EXPECT_EQ(items[1]["type"], "phrase");
    EXPECT_TRUE(items[1]["explanation"].toString().contains(explanation));

    EXPECT_TRUE(listed(run({"review", "due", "--format=json"})).isEmpty()) << "a new item waits an hour";
    {
        ModelContainer container(path(QStringLiteral("XDG_DATA_HOME/Rarozezev/Collection.sqlite3")));
        AppNotificationCenter notifications;
        for (const auto &item : LearningItemStore(container.mainContext(), notifications).allItems())
            item->nextReviewAt = QDateTime::currentDateTimeUtc().addSecs(-60);
        container.mainContext().save();
    }
    EXPECT_EQ(listed(run({"review", "due", "--format=json"})).size(), 2);
    EXPECT_EQ(run({"review", "answer", items[1]["id"].toString(), "good"}).exitCode, 0);
    EXPECT_EQ(listed(run({"review", "due", "--format", "json"})).size(), 1);

    const QString exported = path(QStringLiteral("收藏.json"));
    ASSERT_EQ(run({"collection", "export", "--format", "json", exported}).exitCode, 0);
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(file.readAll())["items"], listed(run({"collection", "list", "--format=json"})));

    // A spreadsheet reader (openpyxl) opens the workbook: a header row, then the items' texts.
    const QString workbook = path(QStringLiteral("收藏.xlsx"));
    ASSERT_EQ(run({"collection", "export", "--format", "xlsx", workbook}).exitCode, 0);
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {"-c", "import json, sys, openpyxl; rows = openpyxl.load_workbook(sys.argv[1]).active.iter_rows("
                        "values_only=True); print(json.dumps([row[2] for row in rows]))", workbook});
    ASSERT_TRUE(reader.waitForFinished(30000));
    EXPECT_EQ(QJsonDocument::fromJson(reader.readAllStandardOutput()).array(),
              (QJsonArray{QStringLiteral("原文"), items[0]["text"], items[1]["text"]}))
        << reader.readAllStandardError().toStdString();
}

// A variable once exported by a test script must not send a learner's saves to memory.
TEST_F(CommandLineTest, ATestHostVariableInTheEnvironmentChangesNothing)
{
    configureService();
    environment.insert(QStringLiteral("RAROZEZEV_TEST_HOST"), QStringLiteral("1"));
    ASSERT_EQ(run({"lookup", "--save", "take off"}).exitCode, 0);
    const QJsonArray items = listed(run({"collection", "list", "--format", "json"}));
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]["text"], "take off");
}

// At a real terminal: Ctrl+C at the hidden prompt ends the command at once, storing nothing,
// with the terminal's echo back on.
TEST_F(CommandLineTest, CtrlCAtTheHiddenKeyPromptStoresNothingAndRestoresTheEcho)
{
    // Made before forking: the child may only exec. The arguments, a null, the environment.
    QByteArrayList strings{RAROZEZEV_EXECUTABLE, "config", "set-key", "ai", {}};
    for (const QString &variable : environment.toStringList())
        strings.append(variable.toLocal8Bit());
    std::vector<char *> pointers;
    for (QByteArray &string : strings)
        pointers.push_back(string.isEmpty() ? nullptr : string.data());
    pointers.push_back(nullptr);

    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execve(pointers[0], pointers.data(), pointers.data() + 5);
        ::_exit(127);
    }
    const auto echoes = [terminal] {
        termios settings{};
        return ::tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
    };
    int status = -1;
    bool ended = false;
    const auto exited = [&] { return ended = ended || ::waitpid(child, &status, WNOHANG) == child; };
    EXPECT_TRUE(waitUntil([&] { return !echoes(); })) << "the prompt never hid the echo";
    EXPECT_EQ(::write(terminal, "sk-half\x03", 8), 8);
    if (!waitUntil(exited, 5s)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
    EXPECT_TRUE(echoes());
    ::close(terminal);
    EXPECT_EQ(run({"config", "get", "hasSavedAPIKey"}).out, "false\n");
}

TEST_F(CommandLineTest, TodaysArticleIsWrittenByTheConfiguredServiceOnceAndKeptForTheWeek)
{
    configureService();
    server.setHandler([](const LoopbackHTTPServer::Request &) {
        const QJsonObject point{{"term", "tide"}, {"explanation", "潮汐"}, {"example", "The tide turns."}};
        const QJsonObject article{{"title", "Tides"}, {"article", "The sea rises."}, {"chineseSummary", "潮汐"},
                                  {"keyWords", QJsonArray{point}}, {"keyPhrases", QJsonArray{}}, {"grammarPoints", QJsonArray{}}};
        const QJsonObject message{{"content", "```json\n" + QString::fromUtf8(QJsonDocument(article).toJson()) + "```"}};
        return LoopbackHTTPServer::Response::withBody(
            200, QJsonDocument(QJsonObject{{"choices", QJsonArray{QJsonObject{{"message", message}}}}}).toJson());
    });
    const Result first = run({"daily"});
    EXPECT_TRUE(first.out.startsWith("# Tides\n")) << first.err.toStdString();
    EXPECT_EQ(run({"daily"}).out, first.out);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(server.requests().first().body)["temperature"], 0.7);
    EXPECT_TRUE(run({"daily", "--history"}).out.contains("· 中级 · Tides\n"));
}

TEST_F(CommandLineTest, OpenStartsTheApplicationWhichThenTakesOverLaterStarts)
{
    // Started detached from the command's terminal, and without the key it was given.
    environment.insert(QStringLiteral("RAROZEZEV_AI_API_KEY"), QStringLiteral("sk-for-this-command"));
    EXPECT_EQ(run({"open", "settings"}).exitCode, 0);
    environment.remove(QStringLiteral("RAROZEZEV_AI_API_KEY"));
    EXPECT_TRUE(waitUntil([] { return !xdotool({"search", "--onlyvisible", "--name", "^设置$"}).isEmpty(); }));
    const QString started = QStringLiteral("/proc/%1/").arg(DBusSingleInstanceService::instanceProcessId().value_or(0));
    QFile startedEnvironment(started + QStringLiteral("environ"));
    ASSERT_TRUE(startedEnvironment.open(QIODevice::ReadOnly));
    const QByteArray variables = startedEnvironment.readAll();
    EXPECT_TRUE(variables.contains("DISPLAY=") && !variables.contains("sk-for-this-command"));
    EXPECT_EQ(QFile::symLinkTarget(started + QStringLiteral("fd/2")), QStringLiteral("/dev/null"));
    stopApplication();

    ASSERT_TRUE(startApplication());
    const std::optional<qint64> owner = DBusSingleInstanceService::instanceProcessId();
    EXPECT_EQ(owner, application->processId());
    // A plain second start opens the first one's panel and ends.
    EXPECT_EQ(run({}).exitCode, 0);
    EXPECT_TRUE(waitUntil([] { return panelStatus()["open"].toBool(); }));
    EXPECT_EQ(DBusSingleInstanceService::instanceProcessId(), owner);
    EXPECT_EQ(run({"open", "daily"}).exitCode, 0);
    EXPECT_TRUE(waitUntil([] { return !xdotool({"search", "--onlyvisible", "--name", "今日英文推荐"}).isEmpty(); }));
    EXPECT_EQ(stopApplication()->exitCode, 0);
}

// Started from a console or over SSH: one line pointing at the commands, not Qt's abort.
TEST_F(CommandLineTest, WithoutAGraphicalSessionTheApplicationPointsAtTheCommandLine)
{
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    const Result result = run({});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.count(QLatin1Char('\n')), 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("rarozezev lookup"))) << result.err.toStdString();
}

TEST_F(CommandLineTest, ConfigChangesReachTheRunningApplicationAndDoctorJudgesTheDesktop)
{
    ASSERT_TRUE(startApplication());
    // Answered from the event loop, so the hotkey is registered by then.
    ASSERT_FALSE(panelStatus()["open"].toBool());
    EXPECT_EQ(run({"config", "set", "globalShortcut", "ctrl+alt+k"}).exitCode, 0);
    EXPECT_EQ(run({"config", "get", "globalShortcut"}).out, "Ctrl+Alt+K\n");
    xdotool({"key", "ctrl+alt+k"});
    EXPECT_TRUE(waitUntil([] { return panelStatus()["open"].toBool(); })) << "the new combination opens a panel";

    const Result badge = run({"config", "set", "selectionBadgeEnabled", "true"});
    EXPECT_TRUE(badge.err.contains("开启划词浮标")) << badge.err.toStdString();

    const Result doctor = run({"doctor", "--offline"});
    EXPECT_EQ(doctor.exitCode, 0) << doctor.out.toStdString();
    EXPECT_TRUE(doctor.out.contains("✓ 全局快捷键：Ctrl+Alt+K 已由正在运行的 Rarozezev 注册")) << doctor.out.toStdString();
    EXPECT_EQ(stopApplication()->exitCode, 0);
}

TEST_F(CommandLineTest, ACollectionDatabaseThatCannotBeCreatedStopsTheApplicationWithItsReason)
{
    // The data directory is a file, so the database directory cannot be made.
    QFile blocker(path(QStringLiteral("blocked-data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), blocker.fileName());
    ASSERT_TRUE(startApplication(false));
    // The same message waits in a dialog; dismissing it ends the program.
    ASSERT_TRUE(waitUntil([] { return !visibleWindows().isEmpty(); }));
    const QString dialog = visibleWindows().first();
    // A key that comes while the dialog is still settling its focus is lost: press again.
    const auto ended = [&] { return application->state() == QProcess::NotRunning; };
    for (int attempt = 0; attempt < 5 && !ended(); ++attempt) {
        xdotool({"windowactivate", "--sync", dialog});
        xdotool({"key", "--window", dialog, "Return"});
        waitUntil(ended, 2s);
    }
    ASSERT_TRUE(ended());
    const std::optional<Result> stopped = stopApplication();
    EXPECT_EQ(stopped->exitCode, 1);
    EXPECT_TRUE(stopped->err.startsWith(RarozezevApp::containerFailurePrefix())) << stopped->err.toStdString();
    EXPECT_TRUE(stopped->err.contains(QStringLiteral("blocked-data")));
}

// A word is spoken with the system voice, a phrase through the configured service; --output
// keeps the audio instead, and without a sound server the learner is told so at once.
TEST_F(CommandLineTest, SpeakPlaysOrWritesWordsAndServicePhrases)
{
    const auto contents = [](const QString &file) {
        QFile audio(file);
        return audio.open(QIODevice::ReadOnly) ? audio.readAll() : QByteArray();
    };
    const QString word = path(QStringLiteral("hello.wav"));
    ASSERT_EQ(run({"speak", "--output", word, "hello"}).exitCode, 0);
    QProcess player;
    player.start(QStringLiteral("paplay"), {word});
    ASSERT_TRUE(player.waitForFinished(10000));
    EXPECT_EQ(player.exitCode(), 0) << "a WAV the sound server plays";
    EXPECT_EQ(run({"speak", "--accent", "british", "hello"}).exitCode, 0);

    server.route("/v1/audio/speech", LoopbackHTTPServer::Response::withBody(200, contents(word), "audio/wav"));
    for (const QStringList &setting : {QStringList{"ttsProvider", "openAICompatible"},
                                       QStringList{"ttsBaseURL", server.url(QStringLiteral("/v1")).toString()},
                                       QStringList{"ttsModel", "custom-tts"}, QStringList{"ttsResponseFormat", "wav"}})
        ASSERT_EQ(run(QStringList{"config", "set"} + setting).exitCode, 0);
    ASSERT_EQ(run({"config", "set-key", "tts"}, "sk-speech-key").exitCode, 0);
    const QString phrase = path(QStringLiteral("phrase.wav"));
    ASSERT_EQ(run({"speak", "--output", phrase, "good", "morning"}).exitCode, 0);
    EXPECT_EQ(contents(phrase), contents(word));
    EXPECT_EQ(server.requests().last().header("Authorization"), "Bearer sk-speech-key");
    const Result played = run({"speak", "good morning"});
    EXPECT_EQ(played.exitCode, 0) << played.err.toStdString();

    environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + path(QStringLiteral("no-server")));
    const Result silent = run({"speak", "hello"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.err.contains(QStringLiteral("没有可用的音频输出设备"))) << silent.err.toStdString();
}

} // namespace

TEST_F(CommandLineTest, WithoutItsModulesTheProgramRunsWhatNeedsNoneAndSaysWhatIsMissing)
{
    // A hard link, since the program finds its modules beside the path it was started from.
    QTemporaryDir directory(QStringLiteral(RAROZEZEV_BINARY_DIR "/incomplete-XXXXXX"));
    const QString program = directory.filePath(QStringLiteral("rarozezev"));
    ASSERT_EQ(::link(RAROZEZEV_EXECUTABLE, program.toLocal8Bit().constData()), 0);
    EXPECT_EQ(run({"--version"}, {}, program).exitCode, 0);
    for (const QStringList &arguments :
         {QStringList{"open", "lookup"}, QStringList{"speak", "--output", directory.filePath("word.wav"), "word"}}) {
        const Result result = run(arguments, {}, program);
        EXPECT_EQ(result.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("librarozezev-"))) << result.err.toStdString();
    }
}
