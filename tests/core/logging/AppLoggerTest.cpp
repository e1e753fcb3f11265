#include "logging/AppLogger.h"

#include "foundation/AppError.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AppLogger, RedactionMasksKeysTokensAndJsonKeyMembers)
{
    const std::pair<const char *, const char *> cases[] = {
        {"key=sk-abcd1234 end", "key=sk-<redacted> end"},
        {"sk-proj_A.b-C_d.e-1234567890xyz!", "sk-<redacted>!"},
        {"sk-abc1234 end", "sk-abc1234 end"}, // seven characters are no key
        {"Authorization: Bearer  tok.en_1-2/rest", "Authorization: Bearer <redacted>/rest"},
        {"bearer abcdef", "bearer abcdef"},
        {R"({"api_key": "secret value"})", R"({"apiKey":"<redacted>"})"},
        {R"({"model":"m","API-KEY" :"abc","n":1})", R"({"model":"m","apiKey":"<redacted>","n":1})"},
        {R"(api_key: "secret")", R"(api_key: "secret")"},
        // The first rule masks the key before the third sees the member.
        {R"("apiKey": "sk-1234567890")", R"("apiKey":"<redacted>")"},
    };
    for (const auto &[input, expected] : cases)
        EXPECT_EQ(AppLogger::redacted(QString::fromUtf8(input)), QString::fromUtf8(expected)) << input;
}

// Restores an environment variable at the end of the scope.
struct ScopedEnvironment {
    const char *name;
    bool wasSet = qEnvironmentVariableIsSet(name);
    QByteArray saved = qgetenv(name);
    ~ScopedEnvironment() { wasSet ? qputenv(name, saved) : qunsetenv(name); }
};

// The logger's writer is the program's single shared one, fixed when first used, so both
// phases live in one test that points the state directory at a temporary folder first.
TEST(AppLoggerTest, SilentInTestExecutablesAndRecordsRedactedLinesOtherwise)
{
    bool built = false;

    QTemporaryDir state;
    ASSERT_TRUE(state.isValid());
    ScopedEnvironment stateHome{"XDG_STATE_HOME"};
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    // The second phase lifts the test executable's mark; it is back whatever happens.
    struct Remark {
        ~Remark() { AppEnvironment::markRunningTests(); }
    } remark;

    const QString logPath = AppLogger::logFileURL().toLocalFile();
    // Only this test uses the shared writer; a repeated run finds it fixed on an earlier
    // folder, and must not write anywhere else.
    if (logPath != state.path() + "/Rarozezev/Logs/Production/Rarozezev.log")
        GTEST_SKIP() << "the shared writer was created earlier in this process, at " << logPath.toStdString();

    AppLogger::error([&built] { built = true; return "hidden"; });
    AppLogger::error("Failed to schedule daily review reminder", AppError::invalidAIResponse());
    EXPECT_EQ(AppLogger::prepareLogFileForExport().toLocalFile(), logPath);
    EXPECT_FALSE(built);
    EXPECT_TRUE(QDir(state.path()).isEmpty()) << "no folder may be created inside a test executable";

    AppEnvironment::markRunningTests(false);
    AppLogger::error([] { return QStringLiteral("AI request failed detail=Bearer abc.def key sk-0123456789"); });
    AppLogger::error("Failed to register global hotkey Option+D",
                     AppError::aiRequestFailedDetail("HTTP 401：sk-abcdefghij"));
    EXPECT_EQ(AppLogger::prepareLogFileForExport().toLocalFile(), logPath);

    QFile file(logPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(" [error] AI request failed detail=Bearer <redacted> key sk-<redacted>")) << lines[0].data();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" [error] Failed to register global hotkey Option+D: "
                                                 "aiRequestFailedDetail(HTTP 401：sk-<redacted>)")
                                      .toUtf8()))
        << lines[1].data();
}
