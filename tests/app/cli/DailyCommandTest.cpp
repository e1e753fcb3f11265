#include "app/cli/CommandTestSupport.h"
#include "foundation/AppError.h"

#include <QJsonArray>
#include <QJsonDocument>

// The article is printed end to end; these cases need a writer that fails or is interrupted.
namespace {

using DailyCommandTest = CommandTest;

TEST_F(DailyCommandTest, TodaysArticleIsWrittenOnceThenReadFromTheCacheUnlessRefreshed)
{
    dailyGenerator.respond = [](FakeDailyRecommendationGenerator::Request &request) {
        request.answer.resolve(sampleRecommendation(request.text + " " + request.settings.apiKey));
    };
    const CommandRun first = run({"daily"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.startsWith("# intermediate sk-keyring\n")) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("- **word of intermediate sk-keyring**：解释\n"));
    EXPECT_EQ(run({"daily"}).out, first.out);
    ASSERT_EQ(dailyGenerator.requests.size(), 1u);

    apiKeyOverride = "sk-env";
    const CommandRun refreshed = run({"daily", "--refresh", "--difficulty", "advanced", "--format=json"});
    EXPECT_EQ(QJsonDocument::fromJson(refreshed.out.toUtf8())["title"], "advanced sk-env");
    const QJsonArray history = QJsonDocument::fromJson(run({"daily", "--history", "--format", "json"}).out.toUtf8()).array();
    EXPECT_EQ(history.size(), 2);
    EXPECT_TRUE(run({"daily", "--history"}).out.contains("· 高级 · advanced sk-env\n"));
    EXPECT_EQ(run({"daily", "--history", "--refresh"}).exitCode, 2);
}

TEST_F(DailyCommandTest, FailuresPrintTheirMessageAndInterruptionsNothing)
{
    dailyGenerator.respond = [](FakeDailyRecommendationGenerator::Request &request) {
        request.answer.reject(AppError::invalidAIResponse());
    };
    const CommandRun failed = run({"daily"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, AppError::invalidAIResponse().errorDescription() + '\n');
    dailyGenerator.respond = [](FakeDailyRecommendationGenerator::Request &request) { request.cancellation.cancel(); };
    const CommandRun interrupted = run({"daily", "--refresh"});
    EXPECT_EQ(interrupted.exitCode, 130);
    EXPECT_TRUE(interrupted.out.isEmpty() && interrupted.err.isEmpty());
    EXPECT_TRUE(dailyCache.recentRecommendations(QDateTime::currentDateTime(), 7).isEmpty());
}

} // namespace
