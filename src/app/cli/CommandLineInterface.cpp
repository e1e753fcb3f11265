#include "app/cli/CommandLineInterface.h"

#include "BuildInfo.h"
#include "app/cli/CollectionCommand.h"
#include "app/cli/CommandArguments.h"
#include "app/cli/CommandErrorMessage.h"
#include "app/cli/CommandServices.h"
#include "app/cli/ConfigCommand.h"
#include "app/cli/DailyCommand.h"
#include "app/cli/DoctorCommand.h"
#include "app/cli/LookupCommand.h"
#include "app/cli/ManualPage.h"
#include "app/cli/OpenCommand.h"
#include "app/cli/RemindersCommand.h"
#include "app/cli/ReviewCommand.h"
#include "app/cli/SpeakCommand.h"
#include "dictionary/ChineseGlossTable.h"

#include <cstdio>
#include <cstdlib>

CommandLineInterface::CommandLineInterface(CommandIO io, CommandServices &services, CancellationToken interruption)
    : m_io(io), m_services(services), m_interruption(std::move(interruption))
{
}

bool CommandLineInterface::wantsHeadlessRun(const QStringList &arguments)
{
    return !arguments.isEmpty();
}

bool CommandLineInterface::readsSelection(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.first() != QLatin1String("lookup"))
        return false;
    const auto parsed = LookupCommandOptions::parse(arguments.mid(1));
    const auto *options = std::get_if<LookupCommandOptions>(&parsed);
    return options && options->selection && !options->help;
}

QCoro::Task<int> CommandLineInterface::run(QStringList arguments)
{
    if (arguments.isEmpty()) {
        m_io.print(helpText());
        co_return ExitCode::success;
    }
    const QString first = arguments.takeFirst();
    if (CommandArguments::isHelpWord(first)) {
        m_io.print(helpText());
        co_return ExitCode::success;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        m_io.print(versionText());
        co_return ExitCode::success;
    }
    if (first == manualPageCommand)
        co_return co_await printManualPage();
    const CommandCollection::Opener openCollection = [&services = m_services] { return services.collection(); };
    std::exception_ptr failure;
    try {
        if (first == QLatin1String("config")) {
            ConfigCommand command(m_io, {m_services.preferences(), m_services.launchAtLogin(),
                                         &m_services.applicationInstance()});
            co_return co_await command.run(std::move(arguments));
        }
        if (first == QLatin1String("lookup")) {
            LookupCommand command(m_io,
                                  {m_services.preferences(), m_services.aiClient(), m_services.lookupResultCache(),
                                   m_services.systemDictionary(), m_services.aiAPIKeyOverride(), openCollection,
                                   [&services = m_services]() -> SelectedTextCapturing & {
                                       return services.selectionCaptureService();
                                   }},
                                  m_interruption);
            co_return co_await command.run(std::move(arguments));
        }
        if (first == QLatin1String("collection")) {
            CollectionCommand command(m_io, openCollection);
            co_return command.run(arguments);
        }
        if (first == QLatin1String("review")) {
            ReviewCommand command(m_io, openCollection);
            co_return command.run(arguments);
        }
        if (first == QLatin1String("daily")) {
            DailyCommand command(m_io,
                                 {m_services.preferences(), m_services.dailyRecommendationGenerator(),
                                  m_services.dailyRecommendationCache(), m_services.aiAPIKeyOverride()},
                                 m_interruption);
            co_return co_await command.run(std::move(arguments));
        }
        if (first == QLatin1String("speak")) {
            SpeakCommand command(m_io, m_services, m_interruption);
            co_return co_await command.run(std::move(arguments));
        }
        if (first == QLatin1String("reminders")) {
            RemindersCommand command(m_io, m_services.reminderRequests());
            co_return command.run(arguments);
        }
        if (first == QLatin1String("doctor")) {
            DoctorCommand command(m_io, m_services);
            co_return co_await command.run(std::move(arguments));
        }
        if (first == QLatin1String("open")) {
            OpenCommand command(m_io, m_services.applicationInstance());
            co_return co_await command.run(std::move(arguments));
        }
        if (first == QLatin1String("trigger")) {
            OpenCommand command(m_io, m_services.applicationInstance());
            co_return co_await command.runTrigger(std::move(arguments));
        }
    } catch (...) {
        // Commands report their own failures; this is the last line of defence.
        failure = std::current_exception();
    }
    if (failure) {
        m_io.printError(CommandErrorMessage::describe(failure) + QLatin1Char('\n'));
        co_return ExitCode::failure;
    }
    m_io.printError(QStringLiteral("未知的命令或选项：%1\n运行 rarozezev --help 查看用法。\n").arg(first));
    co_return ExitCode::usageError;
}

QString CommandLineInterface::helpText()
{
    return QStringLiteral(
        "用法：rarozezev [命令] [选项]\n"
        "\n"
        "不带参数运行时，Rarozezev 作为托盘应用启动：选中英文后按 Alt+D（可在设置中更换）查词。\n"
        "\n"
        "命令：\n"
        "  lookup           解释一段英文（rarozezev lookup --help）\n"
        "  collection       列出、删除和导出收藏（rarozezev collection --help）\n"
        "  review           查看待复习内容，记录复习结果（rarozezev review --help）\n"
        "  daily            今日英文推荐文章（rarozezev daily --help）\n"
        "  reminders        列出待发送的提醒及下次时间（rarozezev reminders --help）\n"
        "  speak            朗读英文单词或句子（rarozezev speak --help）\n"
        "  config           查看和修改设置，保存 API Key（rarozezev config --help）\n"
        "  open             让正在运行的托盘应用打开一个窗口（rarozezev open --help）\n"
        "  trigger          查词选中的文字，与快捷键相同；可绑定到桌面快捷键（rarozezev trigger --help）\n"
        "  doctor           检查本机桌面上各项机制是否可用（rarozezev doctor --help）\n"
        "\n"
        "选项：\n"
        "  -h, --help       显示本帮助\n"
        "  -v, --version    显示版本号\n");
}

QCoro::Task<int> CommandLineInterface::printManualPage()
{
    QList<ManualPage::Command> commands = ManualPage::commandsListedIn(helpText());
    for (ManualPage::Command &command : commands) {
        // Each command's help as the command itself prints it.
        char *printed = nullptr;
        size_t size = 0;
        FILE *out = open_memstream(&printed, &size);
        if (!out) {
            m_io.printError(QStringLiteral("无法生成手册页。\n"));
            co_return ExitCode::failure;
        }
        CommandLineInterface inner(CommandIO{m_io.in, out, m_io.err}, m_services, m_interruption);
        QStringList arguments{command.name, QStringLiteral("--help")};
        const int exitCode = co_await inner.run(std::move(arguments));
        std::fclose(out);
        command.help = QString::fromUtf8(printed, static_cast<qsizetype>(size));
        std::free(printed);
        if (exitCode != ExitCode::success || command.help.isEmpty()) {
            m_io.printError(QStringLiteral("命令 %1 没有帮助文本，无法生成手册页。\n").arg(command.name));
            co_return ExitCode::failure;
        }
    }
    m_io.print(ManualPage::render(helpText(), commands, versionText()));
    co_return ExitCode::success;
}

QString CommandLineInterface::versionText()
{
    return QStringLiteral("rarozezev " RAROZEZEV_VERSION_STRING "\n") + ChineseGlossTable::attribution()
           + QLatin1Char('\n');
}
