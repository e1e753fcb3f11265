#include "app/cli/LookupCommandOptions.h"

#include <optional>

namespace {

template<typename Choice>
struct Named {
    const char *name;
    Choice value;
};

template<typename Choice, size_t N>
std::optional<Choice> choose(const QString &text, const Named<Choice> (&choices)[N])
{
    for (const auto &choice : choices) {
        if (text == QLatin1String(choice.name))
            return choice.value;
    }
    return std::nullopt;
}

using Options = LookupCommandOptions;

const Named<Options::Source> sources[] = {{"ai", Options::Source::ai}, {"dictionary", Options::Source::dictionary}};
const Named<Options::Pass> passes[] = {{"full", Options::Pass::full}, {"fast", Options::Pass::fast}};
const Named<Options::Format> formats[] = {{"markdown", Options::Format::markdown}, {"json", Options::Format::json}};

} // namespace

std::variant<LookupCommandOptions, QString> LookupCommandOptions::parse(const QStringList &arguments)
{
    Options options;
    bool passGiven = false;
    bool noCacheGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--")) {
            options.words += arguments.mid(i + 1);
            break;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (argument == QLatin1String("--no-cache")) {
            noCacheGiven = true;
            options.useCache = false;
            continue;
        }
        if (argument == QLatin1String("--save")) {
            options.save = true;
            continue;
        }
        if (argument == QLatin1String("--selection")) {
            options.selection = true;
            continue;
        }
        if (argument == QLatin1String("--list-dictionaries")) {
            options.listDictionaries = true;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--"))) {
            // A lone "-" or a word starting with one is text, not an option.
            options.words.append(argument);
            continue;
        }

        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (name != QLatin1String("--source") && name != QLatin1String("--pass") && name != QLatin1String("--format"))
            return QStringLiteral("未知的选项：%1").arg(argument);
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return QStringLiteral("选项 %1 缺少取值。").arg(name);
        }

        bool known = false;
        if (name == QLatin1String("--source")) {
            const auto source = choose(value, sources);
            known = source.has_value();
            options.source = source.value_or(options.source);
        } else if (name == QLatin1String("--pass")) {
            const auto pass = choose(value, passes);
            known = pass.has_value();
            options.pass = pass.value_or(options.pass);
            passGiven = true;
        } else {
            const auto format = choose(value, formats);
            known = format.has_value();
            options.format = format.value_or(options.format);
        }
        if (!known)
            return QStringLiteral("选项 %1 不接受取值“%2”。").arg(name, value);
    }
    if (options.listDictionaries
        && (options.source != Source::dictionary || options.selection || options.save || !options.words.isEmpty()))
        return QStringLiteral("--list-dictionaries 只与 --source dictionary 同用，不查询文本。");
    if (options.selection && !options.words.isEmpty())
        return QStringLiteral("--selection 查询选中的文本，不能再给出要查询的文本。");
    // Only a full AI explanation goes into the collection, as from the panel once it has loaded.
    if (options.save && (options.source == Source::dictionary || options.pass == Pass::fast))
        return QStringLiteral("--save 只用于 AI 完整解释，不能与 --pass fast 或 --source dictionary 同用。");
    // The dictionary has neither passes nor a cache; saying otherwise is a mistake worth naming.
    if (options.source == Source::dictionary && (passGiven || noCacheGiven))
        return QStringLiteral("--pass 和 --no-cache 只用于 AI 查词（--source ai）。");
    return options;
}
