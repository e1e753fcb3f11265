#pragma once

#include "app/cli/CommandIO.h"
#include "foundation/CancellationToken.h"

#include <QCoroTask>
#include <QStringList>

#include <optional>

class AppPreferencesStoring;
class DailyRecommendationCaching;
class DailyRecommendationGenerating;
class DailyRecommendationViewModel;
struct DailyRecommendation;

// `rarozezev daily`: today's article as the daily window shows it, through the same view
// model and cache: the cached one of today, else a new one (always with --refresh), printed
// as Markdown or as the record's JSON. With --history it lists the articles of the last
// seven days.
class DailyCommand {
public:
    struct Collaborators {
        AppPreferencesStoring &preferences;
        DailyRecommendationGenerating &generator;
        DailyRecommendationCaching &cache;
        // Used instead of the keyring when present, as for `lookup`.
        std::optional<QString> apiKeyOverride;
    };

    DailyCommand(CommandIO io, Collaborators collaborators, CancellationToken cancellation = {});

    // `arguments` follow the word "daily". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();
    // Title, article, summary and the three lists of points.
    static QString markdown(const DailyRecommendation &recommendation, const QString &subtitle);

private:
    int printHistory(DailyRecommendationViewModel &viewModel, bool json) const;

    CommandIO m_io;
    Collaborators m_collaborators;
    CancellationToken m_cancellation;
};
