#include "app/cli/CommandTestSupport.h"
#include "foundation/AppError.h"

namespace {

using CommandLineInterfaceTest = CommandTest;

// A usage error is found before anything is opened or asked: each exits with 2 and prints
// only to stderr, although the collection, the service and the selection would all fail.
TEST_F(CommandLineInterfaceTest, UsageErrorsExitWithTwoBeforeTouchingAnything)
{
    collectionFailure = QStringLiteral("unable to open database file");
    aiFailure = captureFailure = [] { throw AppError::invalidAIResponse(); };
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QList<QStringList> invocations = {
        {"--frobnicate"}, {"lookup", "--source"}, {"lookup", "--source", "web", "run"}, {"lookup", "--pass=slow", "run"},
        {"lookup", "--verbose", "run"}, {"lookup", "--source", "dictionary", "--pass", "fast", "run"},
        {"lookup", "--selection", "run"},
        {"lookup", "--source", "dictionary", "--no-cache", "run"}, {"lookup", "--list-dictionaries"},
        {"lookup", "--source", "dictionary", "--list-dictionaries", "run"},
        // Only a full AI explanation is saved.
        {"lookup", "--save", "--pass", "fast", "run"}, {"lookup", "--source=dictionary", "--save", "run"},
        {"config"}, {"config", "frobnicate"}, {"config", "set", "aiModel"}, {"config", "get", "noSuchKey"},
        {"config", "set", "reminderEnabled", "maybe"}, {"config", "set", "dailyRecommendationHour.v1", "24"},
        {"config", "set", "dailyRecommendationMinute.v1", " 5"}, {"config", "set", "systemPronunciationAccent", "American"},
        {"config", "set", "aiAPIKey", "sk-plain-text"}, {"config", "set", "hasSavedAPIKey.v2", "true"},
        {"config", "set-key", "openai"}, {"collection"},
        {"collection", "remove"}, {"collection", "remove", "apple"},
        {"collection", "remove", "00000000-0000-0000-0000-000000000000"}, {"collection", "export", "x.json"},
        {"review", "answer", "apple", "good"}, {"review", "answer", id, "Good"}, {"review", "answer", id},
        {"review", "due", "extra"}, {"open"}, {"open", "Lookup"},
    };
    for (const QStringList &arguments : invocations) {
        const CommandRun usage = run(arguments, "sk-123\n");
        EXPECT_EQ(usage.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(usage.out.isEmpty() && !usage.err.isEmpty()) << arguments.join(' ').toStdString();
    }
    // Help is no usage error, and needs nothing either.
    for (const char *command : {"lookup", "config", "collection", "review", "open"})
        EXPECT_EQ(run({QString::fromLatin1(command), QStringLiteral("--help")}).exitCode, 0) << command;

    EXPECT_TRUE(aiCalls.isEmpty() && openRequests.isEmpty());
    EXPECT_EQ(captures + appStartCount + aiKeys->saveCount(), 0);
    for (const QLatin1String key : {AppPreferences::Key::reminderEnabled, AppPreferences::Key::legacyAIAPIKey,
                                    AppPreferences::Key::hasSavedAPIKey, AppPreferences::Key::aiModel})
        EXPECT_FALSE(defaults.contains(key)) << key.data();
}

} // namespace
