#include "app/cli/DoctorCommand.h"

#include "app/cli/CommandArguments.h"
#include "app/cli/CommandServices.h"

DoctorCommand::DoctorCommand(CommandIO io, CommandServices &services) : m_io(io), m_services(services) {}

QString DoctorCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev doctor [--offline]\n"
        "\n"
        "检查本机桌面上 Rarozezev 依赖的各项机制：显示服务与会话、托盘、通知服务、系统密钥环、\n"
        "声音输出、全局快捷键、读取选区、模拟复制按键、划词浮标的鼠标监听、离线词典和 AI 服务地址。\n"
        "X11 会话检查按键抓取、PRIMARY、XTEST 和 RECORD；Wayland 会话检查 data-control（以及\n"
        "XWayland 后备）和桌面门户的全局快捷键与远程控制键盘，划词浮标在 Wayland 下不可用。\n"
        "每项一行，✓ 表示可用，✗ 表示不可用并附处理办法。\n"
        "\n"
        "选项：\n"
        "  --offline     不访问 AI 服务地址\n"
        "\n"
        "划词查词可以工作时退出码为 0，否则为 1。\n");
}

QCoro::Task<int> DoctorCommand::run(QStringList arguments)
{
    bool offline = false;
    for (const QString &argument : arguments) {
        if (CommandArguments::isHelpWord(argument)) {
            m_io.print(helpText());
            co_return CommandIO::success;
        }
        if (argument != QLatin1String("--offline"))
            co_return m_io.reportUsageError(QStringLiteral("未知的选项：%1").arg(argument),
                                            QStringLiteral("rarozezev doctor --help"));
        offline = true;
    }
    const DesktopCheck::Report report = co_await m_services.checkDesktop(!offline, false);
    m_io.print(report.text());
    co_return report.mainJobWorks ? CommandIO::success : CommandIO::failure;
}
