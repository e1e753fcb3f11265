#include "app/cli/OpenCommand.h"

#include "app/OpenTarget.h"
#include "app/cli/ApplicationInstanceConnecting.h"
#include "platform/dbus/DBusSingleInstanceService.h"

OpenCommand::OpenCommand(CommandIO io, ApplicationInstanceConnecting &instance) : m_io(io), m_instance(instance) {}

QString OpenCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev open lookup|collection|review|daily|settings\n"
        "\n"
        "让正在运行的 Rarozezev 打开一个窗口；没有在运行时先启动它。\n"
        "  lookup       查词窗口\n"
        "  collection   收藏本\n"
        "  review       复习\n"
        "  daily        今日英文推荐\n"
        "  settings     设置\n");
}

bool OpenCommand::printsHelp(const QStringList &arguments, const QString &text)
{
    if (arguments.size() != 1
        || (arguments.first() != QLatin1String("--help") && arguments.first() != QLatin1String("-h")))
        return false;
    m_io.print(text);
    return true;
}

QCoro::Task<int> OpenCommand::run(QStringList arguments)
{
    if (printsHelp(arguments, helpText()))
        co_return CommandIO::success;
    if (arguments.size() != 1)
        co_return m_io.reportUsageError(QStringLiteral("open 需要一个窗口名。"), QStringLiteral("rarozezev open --help"));
    const QString what = arguments.first();
    if (!openTargetFromRawValue(what))
        co_return m_io.reportUsageError(QStringLiteral("未知的窗口：%1").arg(what), QStringLiteral("rarozezev open --help"));

    co_return co_await deliver(what);
}

QCoro::Task<int> OpenCommand::deliver(std::optional<QString> what)
{
    if (!m_instance.isReachable()) {
        m_io.printError(QStringLiteral("没有 D-Bus 会话总线，无法联系正在运行的 Rarozezev。\n"));
        co_return CommandIO::failure;
    }
    if (!m_instance.isRunning()) {
        if (!m_instance.startApplication()) {
            m_io.printError(QStringLiteral("无法启动 Rarozezev。\n"));
            co_return CommandIO::failure;
        }
        if (!co_await m_instance.waitUntilRunning(startTimeout)) {
            m_io.printError(QStringLiteral("Rarozezev 启动后 %1 秒内没有就绪。\n")
                                .arg(std::chrono::duration_cast<std::chrono::seconds>(startTimeout).count()));
            co_return CommandIO::failure;
        }
    }
    std::optional<DBusSingleInstanceService::RequestError> failure;
    try {
        if (what)
            co_await m_instance.requestOpen(*what);
        else
            co_await m_instance.requestSelectionLookup();
    } catch (const DBusSingleInstanceService::RequestError &error) {
        failure = error;
    }
    if (!failure)
        co_return CommandIO::success;
    switch (failure->kind()) {
    case DBusSingleInstanceService::RequestError::Kind::rejected:
        m_io.printError(failure->message() + QLatin1Char('\n'));
        break;
    case DBusSingleInstanceService::RequestError::Kind::busUnavailable:
        m_io.printError(QStringLiteral("没有 D-Bus 会话总线，无法联系正在运行的 Rarozezev。\n"));
        break;
    case DBusSingleInstanceService::RequestError::Kind::noReply:
        m_io.printError(QStringLiteral("正在运行的 Rarozezev 没有响应（%1）。\n").arg(failure->message()));
        break;
    }
    co_return CommandIO::failure;
}

QString OpenCommand::triggerHelpText()
{
    return QStringLiteral(
        "用法：rarozezev trigger\n"
        "\n"
        "与快捷键相同：读取当前选中的文字，在查词窗口中解释它。\n"
        "桌面不支持全局快捷键时，可在桌面设置中把自定义快捷键绑定到此命令。\n");
}

QCoro::Task<int> OpenCommand::runTrigger(QStringList arguments)
{
    if (printsHelp(arguments, triggerHelpText()))
        co_return CommandIO::success;
    if (!arguments.isEmpty())
        co_return m_io.reportUsageError(QStringLiteral("trigger 不接受参数。"), QStringLiteral("rarozezev trigger --help"));
    co_return co_await deliver(std::nullopt);
}
