#include "app/cli/DailyCommand.h"

#include "app/cli/CommandArguments.h"
#include "daily/DailyRecommendationCaching.h"
#include "daily/DailyRecommendationGenerating.h"
#include "preferences/AppPreferencesStoring.h"
#include "viewmodels/daily/DailyRecommendationDateFormat.h"
#include "viewmodels/daily/DailyRecommendationViewModel.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// The caches and the writer are the command's for its run; the view model holds shared
// pointers, so these hand it references that do not own.
template <typename T>
std::shared_ptr<T> borrowed(T &object)
{
    return std::shared_ptr<T>(std::shared_ptr<T>(), &object);
}

QString pointsMarkdown(const QString &title, const QList<RecommendationTeachingPoint> &points)
{
    QString text = QStringLiteral("\n## ") + title + QStringLiteral("\n\n");
    for (const RecommendationTeachingPoint &point : points)
        text += QStringLiteral("- **%1**：%2\n  例句：%3\n").arg(point.term, point.explanation, point.example);
    return text;
}

} // namespace

DailyCommand::DailyCommand(CommandIO io, Collaborators collaborators, CancellationToken cancellation)
    : m_io(io), m_collaborators(std::move(collaborators)), m_cancellation(std::move(cancellation))
{
}

QString DailyCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev daily [选项]\n"
        "\n"
        "显示今日英文推荐文章，与托盘菜单“今日英文推荐”窗口相同：有今天已生成的文章时直接显示，\n"
        "否则请 AI 服务写一篇新的，并保存在最近七日的历史中。\n"
        "\n"
        "选项：\n"
        "  --difficulty beginner|intermediate|advanced   文章难度（默认取设置 dailyRecommendationDifficulty）\n"
        "  --refresh                  重新生成今天的文章（与窗口中的“换一篇”相同）\n"
        "  --history                  列出最近七日的文章，不生成新文章\n"
        "  --format markdown|json     输出 Markdown 文本（默认）或 JSON\n"
        "  -h, --help                 显示本帮助\n"
        "\n"
        "AI 服务的设置与 rarozezev lookup 相同；设置了环境变量 RAROZEZEV_AI_API_KEY 时改用它。\n");
}

QString DailyCommand::markdown(const DailyRecommendation &recommendation, const QString &subtitle)
{
    QString text = QStringLiteral("# ") + recommendation.title + QStringLiteral("\n\n") + subtitle
                   + QStringLiteral("\n\n") + recommendation.article.trimmed() + QStringLiteral("\n\n## 内容摘要\n\n")
                   + recommendation.chineseSummary.trimmed() + QLatin1Char('\n');
    text += pointsMarkdown(QStringLiteral("关键单词"), recommendation.keyWords);
    text += pointsMarkdown(QStringLiteral("实用词组"), recommendation.keyPhrases);
    text += pointsMarkdown(QStringLiteral("语法讲解"), recommendation.grammarPoints);
    return text;
}

QCoro::Task<int> DailyCommand::run(QStringList arguments)
{
    QStringList difficulties;
    for (RecommendationDifficulty difficulty : kAllRecommendationDifficulties)
        difficulties.append(rawValue(difficulty));
    auto parsed = CommandArguments::parse(arguments, {{QStringLiteral("--difficulty"), difficulties},
                                                      {QStringLiteral("--format"), {QStringLiteral("markdown"), QStringLiteral("json")}},
                                                      {QStringLiteral("--refresh"), {}},
                                                      {QStringLiteral("--history"), {}}});
    const QString helpCommand = QStringLiteral("rarozezev daily --help");
    if (const QString *message = std::get_if<QString>(&parsed))
        co_return m_io.reportUsageError(*message, helpCommand);
    const CommandArguments options = std::get<CommandArguments>(std::move(parsed));
    if (options.help) {
        m_io.print(helpText());
        co_return CommandIO::success;
    }
    if (!options.words.isEmpty())
        co_return m_io.reportUsageError(QStringLiteral("多余的参数：%1").arg(options.words.join(QLatin1Char(' '))),
                                        helpCommand);
    const bool history = options.has(QStringLiteral("--history"));
    if (history && (options.has(QStringLiteral("--refresh")) || options.has(QStringLiteral("--difficulty"))))
        co_return m_io.reportUsageError(QStringLiteral("--history 不能与 --refresh 或 --difficulty 同用。"), helpCommand);

    AppPreferencesStoring &preferences = m_collaborators.preferences;
    DailyRecommendationViewModel::Collaborators collaborators{preferences, borrowed(m_collaborators.generator),
                                                              borrowed(m_collaborators.cache)};
    collaborators.difficulty = recommendationDifficultyFromRawValue(options.value(QStringLiteral("--difficulty")));
    if (const std::optional<QString> key = m_collaborators.apiKeyOverride) {
        collaborators.loadSettings = [&preferences, key]() -> QCoro::Task<UserSettings> {
            UserSettings settings = preferences.currentUserSettingsWithoutAPIKey();
            settings.apiKey = *key;
            co_return settings;
        };
    } else {
        // Only the AI key: a command that writes an article has no use for the speech key.
        collaborators.loadSettings = [&preferences]() -> QCoro::Task<UserSettings> {
            UserSettings settings = preferences.currentUserSettingsWithoutAPIKey();
            if (settings.apiKey.isEmpty())
                settings.apiKey = co_await preferences.loadAPIKey();
            co_return settings;
        };
    }
    DailyRecommendationViewModel viewModel(std::move(collaborators));
    const bool json = options.value(QStringLiteral("--format")) == QLatin1String("json");
    if (history)
        co_return printHistory(viewModel, json);

    const CancellationToken::Registration interruption = m_cancellation.onCancel([&viewModel] { viewModel.cancel(); });
    if (m_cancellation.isCancelled())
        co_return CommandIO::interrupted;
    co_await viewModel.load(options.has(QStringLiteral("--refresh")));
    const DailyRecommendationViewModel::State &state = viewModel.state();
    switch (state.kind()) {
    case DailyRecommendationViewModel::State::Kind::loaded:
        m_io.print(json ? QString::fromUtf8(QJsonDocument(state.recommendation()->toJSON()).toJson(QJsonDocument::Indented))
                        : markdown(*state.recommendation(), viewModel.recommendationSubtitle()));
        co_return CommandIO::success;
    case DailyRecommendationViewModel::State::Kind::failed:
        m_io.printError(state.message() + QLatin1Char('\n'));
        co_return CommandIO::failure;
    case DailyRecommendationViewModel::State::Kind::idle:
    case DailyRecommendationViewModel::State::Kind::loading:
        break;
    }
    co_return CommandIO::interrupted;
}

int DailyCommand::printHistory(DailyRecommendationViewModel &viewModel, bool json) const
{
    viewModel.refreshHistory();
    if (json) {
        QJsonArray items;
        for (const DailyRecommendationHistoryItem &item : viewModel.history())
            items.append(item.toJSON());
        m_io.print(QString::fromUtf8(QJsonDocument(items).toJson(QJsonDocument::Indented)));
        return CommandIO::success;
    }
    if (viewModel.history().isEmpty()) {
        m_io.print(QStringLiteral("最近七日没有文章。\n"));
        return CommandIO::success;
    }
    QString text;
    for (const DailyRecommendationHistoryDay &day : viewModel.historyDays()) {
        text += QStringLiteral("## ") + DailyRecommendationDateFormat::day(day.date.toTimeZone(viewModel.timeZone()).date())
                + QStringLiteral("\n\n");
        for (const DailyRecommendationHistoryItem &item : day.items) {
            QStringList fields;
            if (item.createdAt)
                fields.append(DailyRecommendationDateFormat::time(item.createdAt->toTimeZone(viewModel.timeZone()).time()));
            fields.append(title(item.difficulty));
            fields.append(item.recommendation.title);
            text += QStringLiteral("- ") + fields.join(QStringLiteral(" · ")) + QLatin1Char('\n');
        }
        text += QLatin1Char('\n');
    }
    m_io.print(text);
    return CommandIO::success;
}
