#include "app/cli/CommandArguments.h"

std::variant<CommandArguments, QString> CommandArguments::parse(const QStringList &arguments,
                                                                const QMap<QString, QStringList> &options)
{
    CommandArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--")) {
            parsed.words += arguments.mid(i + 1);
            break;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parsed.help = true;
            continue;
        }
        // A lone "-" or a word starting with one (a relative path) is a word.
        if (!argument.startsWith(QLatin1String("--"))) {
            parsed.words.append(argument);
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (!options.contains(name))
            return QStringLiteral("未知的选项：%1").arg(argument);
        const QStringList &allowed = options.value(name);
        if (allowed.isEmpty()) {
            if (equals >= 0)
                return QStringLiteral("选项 %1 不接受取值。").arg(name);
            parsed.values.insert(name, QString());
            continue;
        }
        QString value;
        if (equals >= 0)
            value = argument.mid(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return QStringLiteral("选项 %1 缺少取值。").arg(name);
        if (allowed != anyValue() && !allowed.contains(value))
            return QStringLiteral("选项 %1 只接受 %2，而不是“%3”。").arg(name, allowed.join(QLatin1Char('|')), value);
        parsed.values.insert(name, value);
    }
    return parsed;
}

bool CommandArguments::isHelpWord(const QString &word)
{
    return word == QLatin1String("--help") || word == QLatin1String("-h") || word == QLatin1String("help");
}

const QStringList &CommandArguments::anyValue()
{
    static const QStringList any{QStringLiteral("*")};
    return any;
}
