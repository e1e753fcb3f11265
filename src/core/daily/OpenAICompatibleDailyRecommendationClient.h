#pragma once

#include "ai/OpenAICompatibleAIClient.h"
#include "daily/DailyRecommendationGenerating.h"
#include "network/HTTPTransport.h"

#include <chrono>
#include <memory>

// Asks the lookup's chat-completions endpoint for one article: its own system message and
// prompt, temperature 0.7, no JSON mode. The answer must decode exactly (one Markdown fence
// around it is tolerated); there is no second attempt. Every failure is logged as one line
// (operation "dailyRecommendation") before it is thrown as an AppError. Holds no mutable
// state.
class OpenAICompatibleDailyRecommendationClient : public DailyRecommendationGenerating {
public:
    using FailureLogger = OpenAICompatibleAIClient::FailureLogger;

    static constexpr std::chrono::milliseconds defaultRequestTimeout{60000};
    static inline const QString systemMessage =
        QStringLiteral("你是专业英语阅读老师，只输出严格 JSON，不要使用 Markdown 代码块。");

    // The default logger is AppLogger::error.
    explicit OpenAICompatibleDailyRecommendationClient(std::shared_ptr<HTTPTransport> transport,
                                                       FailureLogger failureLogger = {},
                                                       std::chrono::milliseconds requestTimeout = defaultRequestTimeout);

    QCoro::Task<DailyRecommendation> generate(RecommendationDifficulty difficulty, UserSettings settings,
                                              CancellationToken cancellation = {}) override;

    // The user message asking for an article at this level.
    static QString prompt(RecommendationDifficulty difficulty);
    // The trimmed text; when it both starts and ends with ``` its first and last lines go.
    static QString removingMarkdownFence(const QString &content);

private:
    struct Context {
        std::shared_ptr<HTTPTransport> transport;
        FailureLogger failureLogger;
        std::chrono::milliseconds requestTimeout;
    };

    static QCoro::Task<DailyRecommendation> perform(Context context, RecommendationDifficulty difficulty,
                                                    UserSettings settings, CancellationToken cancellation);

    Context m_context;
};
