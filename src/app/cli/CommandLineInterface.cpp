#include "app/cli/CommandLineInterface.h"

#include "BuildInfo.h"

CommandLineInterface::CommandLineInterface(FILE *out, FILE *err) : m_out(out), m_err(err) {}

bool CommandLineInterface::wantsHeadlessRun(const QStringList &arguments)
{
    return !arguments.isEmpty();
}

int CommandLineInterface::run(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        print(m_out, helpText());
        return success;
    }
    const QString &first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        print(m_out, helpText());
        return success;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        print(m_out, versionText());
        return success;
    }
    print(m_err, QStringLiteral("未知的命令或选项：%1\n运行 rarozezev --help 查看用法。\n").arg(first));
    return usageError;
}

QString CommandLineInterface::helpText()
{
    return QStringLiteral(
        "用法：rarozezev [命令] [选项]\n"
        "\n"
        "不带参数运行时，Rarozezev 作为托盘应用启动：选中英文后按 Alt+D 查词。\n"
        "\n"
        "选项：\n"
        "  -h, --help       显示本帮助\n"
        "  -v, --version    显示版本号\n");
}

QString CommandLineInterface::versionText()
{
    return QStringLiteral("rarozezev " RAROZEZEV_VERSION_STRING "\n");
}

void CommandLineInterface::print(FILE *stream, const QString &text) const
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}
