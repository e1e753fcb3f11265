#include "app/cli/LookupCommand.h"

#include "app/cli/CommandErrorMessage.h"
#include "lookup/FastLookupResult.h"
#include "lookup/LookupResult.h"
#include "lookup/LookupTextLimit.h"
#include "ai/AIClient.h"
#include "preferences/AppPreferencesStoring.h"
#include "collection/LearningItemStore.h"
#include "lookup/LookupResultCaching.h"
#include "capture/SelectedTextCapturing.h"
#include "dictionary/SystemDictionaryLookingUp.h"
#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "network/PlainHTTPPolicy.h"
#include "viewmodels/lookup/LookupViewModel.h"

#include <QJsonDocument>

namespace {

QString jsonText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace

LookupCommand::LookupCommand(CommandIO io, Collaborators collaborators, CancellationToken cancellation)
    : m_io(io), m_collaborators(std::move(collaborators)), m_cancellation(std::move(cancellation))
{
}

QString LookupCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev lookup [选项] [文本 ...]\n"
        "\n"
        "解释一段英文（最多 %1 个字符）。文本由各参数以空格连接而成；没有参数时从标准输入读取。\n"
        "\n"
        "选项：\n"
        "  --source ai|dictionary   用 AI 服务（默认）或离线词典查词\n"
        "  --pass full|fast         AI 完整解释（默认）或快速解释\n"
        "  --format markdown|json   输出 Markdown 文本（默认）或 JSON\n"
        "  --no-cache               不读取也不写入查词缓存（只用于完整解释）\n"
        "  --selection              查询当前选中的文本（与 Alt+D 相同），不再给出文本；剪贴板保持原样\n"
        "  --list-dictionaries      与 --source dictionary 同用：列出离线词典（名称和位置），不查词；\n"
        "                           StarDict 词典放在 ~/.stardict/dic 或 /usr/share/stardict/dic\n"
        "  --save                   把完整解释加入收藏（与查词面板的收藏相同；已收藏的不重复添加）；\n"
        "                           只用于 AI 完整解释，不能与 --pass fast 或 --source dictionary 同用\n"
        "  -h, --help               显示本帮助\n"
        "\n"
        "AI 服务的地址和模型取自 rarozezev config（aiBaseURL、aiModel），API Key 取自系统密钥环；\n"
        "设置了环境变量 RAROZEZEV_AI_API_KEY 时改用它，不访问密钥环。\n")
        .arg(LookupTextLimit::maximumCharacters);
}

QCoro::Task<int> LookupCommand::run(QStringList arguments)
{
    auto parsed = LookupCommandOptions::parse(arguments);
    if (const QString *message = std::get_if<QString>(&parsed))
        co_return m_io.reportUsageError(*message, QStringLiteral("rarozezev lookup --help"));
    const LookupCommandOptions options = std::get<LookupCommandOptions>(std::move(parsed));
    if (options.help) {
        m_io.print(helpText());
        co_return CommandIO::success;
    }
    if (options.listDictionaries)
        co_return listDictionaries();

    QString text;
    if (options.selection) {
        std::variant<QString, int> captured = co_await captureSelection();
        if (const int *exitCode = std::get_if<int>(&captured))
            co_return *exitCode;
        text = std::get<QString>(std::move(captured));
    } else if (!options.words.isEmpty()) {
        text = options.words.join(QLatin1Char(' '));
    } else if (m_io.inputIsTerminal()) {
        co_return m_io.reportUsageError(QStringLiteral("请给出要查询的文本，或从标准输入传入。"),
                                        QStringLiteral("rarozezev lookup --help"));
    } else {
        // Bounded: a file piped in by mistake is refused below, not read into memory whole.
        const QByteArray input = m_io.readAtMost(maximumInputBytes);
        if (input.size() > maximumInputBytes)
            co_return fail(LookupTextLimit::message());
        text = QString::fromUtf8(input);
    }
    text = text.trimmed();
    if (text.isEmpty()) {
        // A selection that yields nothing is the selection's fault; given text is the learner's.
        co_return fail(options.selection ? AppError::selectedTextUnavailable().errorDescription()
                                         : QStringLiteral("要查询的文本是空的。请在命令后写出英文，或从标准输入传入。"));
    }
    if (LookupTextLimit::exceeds(text))
        co_return fail(LookupTextLimit::message());

    if (options.source == LookupCommandOptions::Source::dictionary)
        co_return lookUpInDictionary(text, options.format);
    // Opened before asking the service: a collection that cannot take the answer should not
    // cost a request.
    std::optional<LearningItemStore> collection =
        options.save ? CommandCollection(m_collaborators.openCollection).open(m_io) : std::nullopt;
    if (options.save && !collection)
        co_return CommandIO::failure;
    co_return co_await lookUpWithAI(text, options, collection ? &*collection : nullptr);
}

QCoro::Task<std::variant<QString, int>> LookupCommand::captureSelection()
{
    std::exception_ptr failure;
    try {
        if (!m_collaborators.selectionCaptureService)
            throw AppError::selectedTextUnavailable();
        co_return co_await m_collaborators.selectionCaptureService().captureSelectedTextUsingClipboardFallback(
            m_cancellation);
    } catch (const CancellationError &) {
        co_return static_cast<int>(CommandIO::interrupted);
    } catch (...) {
        failure = std::current_exception();
    }
    co_return fail(CommandErrorMessage::describe(failure));
}

int LookupCommand::listDictionaries()
{
    const QList<SystemDictionaryLookingUp::Source> sources = m_collaborators.systemDictionary.sources();
    if (sources.isEmpty())
        return fail(QStringLiteral("没有可用的离线词典。"));
    QString listing;
    for (const SystemDictionaryLookingUp::Source &source : sources)
        listing += source.name + QLatin1Char('\t') + source.location + QLatin1Char('\n');
    m_io.print(listing);
    return CommandIO::success;
}

int LookupCommand::lookUpInDictionary(const QString &text, LookupCommandOptions::Format format)
{
    const std::optional<QString> definition = m_collaborators.systemDictionary.lookupDefinition(text);
    if (!definition)
        return fail(QStringLiteral("系统词典没有找到释义。"));
    // Like the panel: a dictionary entry is always a word, whatever the text looks like.
    const LookupResult result = LookupViewModel::dictionaryResult(text, *definition);
    m_io.print(format == LookupCommandOptions::Format::json ? jsonText(result.toJSON())
                                                            : result.markdownExplanation() + QLatin1Char('\n'));
    return CommandIO::success;
}

QCoro::Task<UserSettings> LookupCommand::settingsWithAPIKey()
{
    UserSettings settings = m_collaborators.preferences.currentUserSettingsWithoutAPIKey();
    if (m_collaborators.apiKeyOverride)
        settings.apiKey = *m_collaborators.apiKeyOverride;
    else if (settings.apiKey.isEmpty())
        settings.apiKey = co_await m_collaborators.preferences.loadAPIKey();
    co_return settings;
}

QCoro::Task<int> LookupCommand::lookUpWithAI(QString text, LookupCommandOptions options, LearningItemStore *collection)
{
    const LearningItemType itemType = LookupViewModel::detectItemType(text);
    const bool full = options.pass == LookupCommandOptions::Pass::full;
    const bool json = options.format == LookupCommandOptions::Format::json;
    // Only full answers are cached; a fast pass always asks the service.
    const bool useCache = full && options.useCache;
    if (useCache) {
        if (const std::optional<LookupResult> cached = m_collaborators.resultCache.cachedResult(text, itemType))
            co_return printAndSave(*cached, json, collection);
    }

    std::exception_ptr failure;
    UserSettings settings;
    try {
        settings = co_await settingsWithAPIKey();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        const QString hint = QStringLiteral("\n也可以通过环境变量 %1 提供 API Key。").arg(QLatin1String(apiKeyVariable));
        co_return fail(QStringLiteral("无法读取 AI API Key：") + CommandErrorMessage::describe(failure) + hint);
    }
    // One request per run, so the warning comes once per process.
    if (PlainHTTPPolicy::warrantsWarning(QUrl(settings.baseURL)))
        m_io.printError(PlainHTTPPolicy::warning() + QLatin1Char('\n'));

    std::optional<LookupResult> fullResult;
    try {
        if (full) {
            LookupResult result = co_await m_collaborators.aiClient.lookup(text, std::nullopt, std::nullopt, itemType,
                                                                           settings, m_cancellation);
            // Filed under what was looked up, as the panel does, so later lookups meet it.
            result.selectedText = text;
            result.itemType = itemType;
            result.source = LookupResultSource::ai;
            if (useCache)
                m_collaborators.resultCache.store(result);
            fullResult = std::move(result);
        } else {
            FastLookupResult result = co_await m_collaborators.aiClient.fastLookup(
                text, std::nullopt, std::nullopt, itemType, settings, m_cancellation);
            result.selectedText = text;
            m_io.print(json ? jsonText(result.toJSON())
                            : LookupResult::markdown(result.displaySections()) + QLatin1Char('\n'));
        }
    } catch (const CancellationError &) {
        co_return CommandIO::interrupted;
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure)
        co_return fail(CommandErrorMessage::describe(failure));
    if (fullResult)
        co_return printAndSave(*fullResult, json, collection);
    co_return CommandIO::success;
}

int LookupCommand::printAndSave(const LookupResult &result, bool json, LearningItemStore *collection)
{
    m_io.print(json ? jsonText(result.toJSON()) : result.markdownExplanation() + QLatin1Char('\n'));
    if (!collection)
        return CommandIO::success;
    try {
        // The store ignores a second save of the same text and type; say so rather than
        // pretend something was added.
        const bool alreadySaved = collection->contains(result);
        collection->save(result);
        m_io.printError(alreadySaved ? QStringLiteral("收藏中已有这一条。\n") : QStringLiteral("已加入收藏。\n"));
    } catch (...) {
        return fail(QStringLiteral("收藏保存失败。"));
    }
    return CommandIO::success;
}

int LookupCommand::fail(const QString &message) const
{
    m_io.printError(message + QLatin1Char('\n'));
    return CommandIO::failure;
}
