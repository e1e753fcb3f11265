#pragma once

#include "daily/DailyRecommendationGenerating.h"

#include "support/fakes/LookupViewModelFakes.h"

#include <functional>
#include <memory>
#include <vector>

// A short article whose every text names `title`, with one point of each kind.
inline DailyRecommendation sampleRecommendation(const QString &title)
{
    const auto point = [&](const QString &kind) {
        return RecommendationTeachingPoint{kind + QStringLiteral(" of ") + title, QStringLiteral("解释"),
                                           QStringLiteral("An example.")};
    };
    return {title, title + QStringLiteral(" begins here.\nIt ends 42 lines later."), QStringLiteral("摘要"),
            {point(QStringLiteral("word"))}, {point(QStringLiteral("phrase"))}, {point(QStringLiteral("grammar"))}};
}

// Records each request (the difficulty's raw value as its text) and leaves it pending for the
// test to answer, unless `respond` answers it at once.
class FakeDailyRecommendationGenerator : public DailyRecommendationGenerating {
public:
    using Request = PendingRequest<DailyRecommendation>;

    QCoro::Task<DailyRecommendation> generate(RecommendationDifficulty difficulty, UserSettings settings,
                                              CancellationToken cancellation) override
    {
        auto request = std::make_shared<Request>();
        request->text = rawValue(difficulty);
        request->settings = std::move(settings);
        request->cancellation = std::move(cancellation);
        requests.push_back(request);
        QCoro::Task<DailyRecommendation> answer = awaitPending(request, true);
        if (respond)
            respond(*request);
        return answer;
    }

    std::vector<std::shared_ptr<Request>> requests;
    std::function<void(Request &)> respond;
};
