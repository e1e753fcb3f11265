#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QCoroProcess>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;

namespace {

const QByteArray fullAnswer = R"({
  "phonetic": "/teɪk ɒf/",
  "contextualMeaning": "起飞；迅速成功",
  "commonMeanings": ["起飞", "脱下"],
  "partOfSpeech": "phrasal verb",
  "collocations": ["take off quickly"],
  "examples": ["The plane took off. 飞机起飞了。"],
  "translation": "起飞",
  "usageNotes": ["多用于飞机"],
  "suggestedExpressions": ["lift off"]
})";

const QByteArray fastAnswer = R"({
  "primaryMeaning": "快速释义：起飞",
  "translation": "起飞"
})";

QByteArray chatCompletion(const QByteArray &content)
{
    const QJsonObject message{{"role", "assistant"}, {"content", QString::fromUtf8(content)}};
    const QJsonObject choice{{"index", 0}, {"message", message}, {"finish_reason", "stop"}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

// The fast prompt asks for a primary meaning; the full one does not.
bool isFastRequest(const LoopbackHTTPServer::Request &request)
{
    const QJsonArray messages = QJsonDocument::fromJson(request.body).object().value("messages").toArray();
    return messages.last().toObject().value("content").toString().contains(QStringLiteral("primaryMeaning"));
}

// Runs the built program as a user would, with a home and XDG directories of its own and
// the session's keyring, while this process's event loop serves the AI requests. It runs
// without the test-host flag, so the collection lives in its file as it does for a user.
class CommandLineTest : public ::testing::Test {
protected:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(server.isListening());
        server.setHandler([](const LoopbackHTTPServer::Request &request) {
            return LoopbackHTTPServer::Response::withBody(200, chatCompletion(isFastRequest(request) ? fastAnswer : fullAnswer));
        });
    }

    Run rarozezev(const QStringList &arguments, const QByteArray &input = {},
                  const std::optional<QString> &apiKey = QStringLiteral("sk-env-key-123"))
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.filePath(QStringLiteral("home")));
        for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            environment.insert(QString::fromLatin1(variable), home.filePath(QString::fromLatin1(variable)));
        environment.remove(QStringLiteral("RAROZEZEV_TEST_HOST"));
        if (apiKey)
            environment.insert(QStringLiteral("RAROZEZEV_AI_API_KEY"), *apiKey);
        else
            environment.remove(QStringLiteral("RAROZEZEV_AI_API_KEY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(RAROZEZEV_EXECUTABLE), arguments);
        if (!process.waitForStarted(10000)) {
            ADD_FAILURE() << "rarozezev did not start";
            return {};
        }
        process.write(input);
        process.closeWriteChannel();
        // The server answers on this event loop, so the wait must not block it.
        waitForTask(qCoro(process).waitForFinished(60s));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "rarozezev crashed";
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    void configureService()
    {
        const QString url = server.url(QStringLiteral("/v1/chat/completions")).toString();
        ASSERT_EQ(rarozezev({"config", "set", "aiBaseURL", url}).exitCode, 0);
        ASSERT_EQ(rarozezev({"config", "set", "aiModel", "test-model"}).exitCode, 0);
    }

    QString collectionPath() const
    {
        return home.filePath(QStringLiteral("XDG_DATA_HOME/Rarozezev/Collection.sqlite3"));
    }

    QJsonArray listed(const QStringList &arguments)
    {
        const Run run = rarozezev(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).array();
    }

    QTemporaryDir home;
    LoopbackHTTPServer server;
};

struct ToolRun {
    bool ran = false;
    int exitCode = -1;
    QString out;
};

// A local tool that needs no event loop of ours.
ToolRun runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000) || !process.waitForFinished(60000))
        return {};
    return {true, process.exitCode(), QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

TEST_F(CommandLineTest, FullLookupIsCachedUnlessAskedNotTo)
{
    configureService();
    const Run first = rarozezev({"lookup", "take", "off"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("起飞；迅速成功")));
    EXPECT_TRUE(first.out.contains(QStringLiteral("### ")));
    ASSERT_EQ(server.requests().size(), 1);
    const LoopbackHTTPServer::Request &request = server.requests().first();
    EXPECT_EQ(request.header("Authorization"), QByteArray("Bearer sk-env-key-123"));
    EXPECT_EQ(QJsonDocument::fromJson(request.body).object().value("model").toString(), QStringLiteral("test-model"));

    // The same text, spelled differently and given on standard input, is answered from the cache.
    const Run again = rarozezev({"lookup"}, "  TAKE OFF \n");
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, first.out);
    EXPECT_EQ(server.requests().size(), 1);

    const Run uncached = rarozezev({"lookup", "--no-cache", "take off"});
    EXPECT_EQ(uncached.exitCode, 0);
    EXPECT_EQ(server.requests().size(), 2);

    const Run json = rarozezev({"lookup", "--format", "json", "take", "off"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject record = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(record.value("selectedText").toString(), QStringLiteral("take off"));
    EXPECT_EQ(record.value("itemType").toString(), QStringLiteral("phrase"));
    EXPECT_EQ(record.value("source").toString(), QStringLiteral("ai"));
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(CommandLineTest, FastPassAsksTheServiceAndLeavesTheCacheAlone)
{
    configureService();
    const Run fast = rarozezev({"lookup", "--pass", "fast", "take off"});
    ASSERT_EQ(fast.exitCode, 0) << fast.err.toStdString();
    EXPECT_TRUE(fast.out.contains(QStringLiteral("快速释义：起飞")));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(isFastRequest(server.requests().first()));

    const Run full = rarozezev({"lookup", "take off"});
    EXPECT_EQ(full.exitCode, 0);
    EXPECT_EQ(server.requests().size(), 2) << "the fast answer was not cached";
}

TEST_F(CommandLineTest, FailuresPrintTheMessageAndExitWithOne)
{
    configureService();
    server.setHandler([](const LoopbackHTTPServer::Request &) {
        return LoopbackHTTPServer::Response::withBody(500, R"({"error":{"message":"model overloaded"}})");
    });
    const Run failed = rarozezev({"lookup", "take off"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_EQ(failed.err, QStringLiteral("AI 查询失败：HTTP 500：model overloaded\n"));

    const Run unconfigured = rarozezev({"lookup", "take off"}, {}, QString());
    EXPECT_EQ(unconfigured.exitCode, 1);
    EXPECT_EQ(unconfigured.err, QStringLiteral("AI 设置不完整，请检查 API Key、Base URL 和模型名称。\n"));
}

TEST_F(CommandLineTest, DictionaryLookupWorksOffline)
{
    const Run found = rarozezev({"lookup", "--source", "dictionary", "serendipity"}, {}, std::nullopt);
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    EXPECT_TRUE(found.out.contains(QStringLiteral("fortunate discoveries"))) << found.out.toStdString();

    const Run json = rarozezev({"lookup", "--source=dictionary", "--format=json", "serendipity"}, {}, std::nullopt);
    const QJsonObject record = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(record.value("source").toString(), QStringLiteral("systemDictionary"));
    EXPECT_EQ(record.value("itemType").toString(), QStringLiteral("word"));

    const Run missing = rarozezev({"lookup", "--source", "dictionary", "qzxwvutsrq"}, {}, std::nullopt);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, QStringLiteral("系统词典没有找到释义。\n"));
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(CommandLineTest, ConfigRoundTripAndKeyInTheKeyring)
{
    EXPECT_EQ(rarozezev({"config", "set", "dailyRecommendationHour.v1", "0"}).exitCode, 0);
    const Run hour = rarozezev({"config", "get", "dailyRecommendationHour.v1"});
    EXPECT_EQ(hour.exitCode, 0);
    EXPECT_EQ(hour.out, QStringLiteral("0\n"));
    EXPECT_EQ(rarozezev({"config", "set", "dailyRecommendationHour.v1", "noon"}).exitCode, 2);

    configureService();
    const Run saved = rarozezev({"config", "set-key", "ai"}, "sk-keyring-key-456\n", std::nullopt);
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(rarozezev({"config", "get", "hasSavedAPIKey.v2"}).out, QStringLiteral("true\n"));

    // Without the environment variable the lookup takes the key from the keyring.
    const Run lookup = rarozezev({"lookup", "--no-cache", "take off"}, {}, std::nullopt);
    ASSERT_EQ(lookup.exitCode, 0) << lookup.err.toStdString();
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().header("Authorization"), QByteArray("Bearer sk-keyring-key-456"));

    EXPECT_EQ(rarozezev({"config", "delete-key", "ai"}).exitCode, 0);
    EXPECT_EQ(rarozezev({"config", "get", "hasSavedAPIKey.v2"}).out, QStringLiteral("false\n"));
}

TEST_F(CommandLineTest, CollectionSavedFromLookupsIsListedReviewedAndExported)
{
    configureService();
    const Run phrase = rarozezev({"lookup", "--save", "take", "off"});
    ASSERT_EQ(phrase.exitCode, 0) << phrase.err.toStdString();
    EXPECT_EQ(phrase.err, QStringLiteral("已加入收藏。\n"));
    ASSERT_EQ(rarozezev({"lookup", "--save"}, "  It's raining cats and dogs.\n").exitCode, 0);
    const Run duplicate = rarozezev({"lookup", "--save", "--no-cache", "Take Off"});
    EXPECT_EQ(duplicate.exitCode, 0);
    EXPECT_EQ(duplicate.err, QStringLiteral("收藏中已有这一条。\n"));
    EXPECT_EQ(server.requests().size(), 3);
    ASSERT_TRUE(QFile::exists(collectionPath()));

    // Newest first, in the export item form.
    QJsonArray items = listed({"collection", "list", "--format", "json"});
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].toObject().value("text").toString(), QStringLiteral("It's raining cats and dogs."));
    const QJsonObject phraseItem = items[1].toObject();
    EXPECT_EQ(phraseItem.value("text").toString(), QStringLiteral("take off"));
    EXPECT_EQ(phraseItem.value("type").toString(), QStringLiteral("phrase"));
    EXPECT_TRUE(phraseItem.value("explanation").toString().contains(QStringLiteral("起飞；迅速成功")));
    const QString phraseID = phraseItem.value("id").toString();
    EXPECT_TRUE(rarozezev({"collection", "list"}).out.contains(phraseID + QStringLiteral("  phrase  ")));

    // Saved items wait an hour; bring the phrase's review forward as time passing would.
    EXPECT_EQ(rarozezev({"review", "due"}).out, QStringLiteral("今天没有待复习内容。\n"));
    {
        ModelContainer container(collectionPath());
        for (const auto &item : LearningItemStore(container.mainContext()).allItems()) {
            if (item->text == QLatin1String("take off"))
                item->nextReviewAt = QDateTime::currentDateTimeUtc().addSecs(-60);
        }
        container.mainContext().save();
    }
    const QJsonArray due = listed({"review", "due", "--format=json"});
    ASSERT_EQ(due.size(), 1);
    EXPECT_EQ(due[0].toObject().value("id").toString(), phraseID);
    const Run answered = rarozezev({"review", "answer", phraseID, "good"});
    ASSERT_EQ(answered.exitCode, 0) << answered.err.toStdString();
    EXPECT_TRUE(answered.out.startsWith(QStringLiteral("下次复习："))) << answered.out.toStdString();
    EXPECT_TRUE(listed({"review", "due", "--format", "json"}).isEmpty());
    items = listed({"collection", "list", "--format", "json"});
    EXPECT_EQ(items[1].toObject().value("reviewCount").toInt(), 1);

    const QString jsonPath = home.filePath(QStringLiteral("收藏.json"));
    const Run jsonExport = rarozezev({"collection", "export", "--format", "json", jsonPath});
    ASSERT_EQ(jsonExport.exitCode, 0) << jsonExport.err.toStdString();
    EXPECT_EQ(jsonExport.out, jsonPath + QLatin1Char('\n'));
    QFile jsonFile(jsonPath);
    ASSERT_TRUE(jsonFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(jsonFile.readAll()).object().value("items").toArray(), items);

    const QString xlsxPath = home.filePath(QStringLiteral("collection.xlsx"));
    const Run xlsxExport = rarozezev({"collection", "export", "--format=xlsx", xlsxPath});
    ASSERT_EQ(xlsxExport.exitCode, 0) << xlsxExport.err.toStdString();
    const ToolRun tested = runTool(QStringLiteral("unzip"), {"-t", xlsxPath});
    ASSERT_TRUE(tested.ran) << "unzip is missing";
    EXPECT_EQ(tested.exitCode, 0) << tested.out.toStdString();
    EXPECT_TRUE(tested.out.contains(QStringLiteral("No errors detected"))) << tested.out.toStdString();
    // unzip -v: one line per entry, "Length Method Size Cmpr Date Time CRC-32 Name".
    const ToolRun verbose = runTool(QStringLiteral("unzip"), {"-v", xlsxPath});
    QStringList entries;
    for (const QString &line : verbose.out.split(QLatin1Char('\n'))) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() == 8 && fields[0].toLongLong() > 0) {
            EXPECT_EQ(fields[1], QStringLiteral("Stored")) << line.toStdString();
            entries.append(fields[7]);
        }
    }
    EXPECT_EQ(entries, QStringList({"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml",
                                    "xl/_rels/workbook.xml.rels", "xl/worksheets/sheet1.xml"}))
        << verbose.out.toStdString();

    // A spreadsheet reader sees the sheet, the header and one row per item, newest first.
    const QString python = QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    const ToolRun hasReader = runTool(python, {"-c", "import openpyxl"});
    if (!hasReader.ran || hasReader.exitCode != 0)
        GTEST_SKIP() << "python3 with openpyxl is not installed";
    const ToolRun read = runTool(python, {"-c",
                                          "import json, sys, openpyxl\n"
                                          "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
                                          "print(json.dumps({'title': sheet.title, 'rows': [[c.value for c in row] "
                                          "for row in sheet.iter_rows()]}))\n",
                                          xlsxPath});
    ASSERT_EQ(read.exitCode, 0) << read.out.toStdString();
    const QJsonObject workbook = QJsonDocument::fromJson(read.out.toUtf8()).object();
    EXPECT_EQ(workbook.value("title").toString(), QStringLiteral("收藏"));
    const QJsonArray rows = workbook.value("rows").toArray();
    ASSERT_EQ(rows.size(), 3) << read.out.toStdString();
    EXPECT_EQ(rows[0].toArray().size(), 17);
    EXPECT_EQ(rows[1].toArray()[2].toString(), QStringLiteral("It's raining cats and dogs."));
    EXPECT_EQ(rows[2].toArray()[0].toString(), phraseID);
}

} // namespace
