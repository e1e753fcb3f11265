#include "diagnostics/DesktopCheck.h"

#include <QStringList>

#include <algorithm>
#include <exception>
#include <initializer_list>

QString DesktopCheck::title(Item item)
{
    switch (item) {
    case Item::displaySession:
        return QStringLiteral("显示服务与会话");
    case Item::trayHost:
        return QStringLiteral("托盘图标");
    case Item::notificationServer:
        return QStringLiteral("通知服务");
    case Item::secretService:
        return QStringLiteral("系统密钥环（Secret Service）");
    case Item::soundServer:
        return QStringLiteral("声音输出");
    case Item::hotkeyGrab:
        return QStringLiteral("全局快捷键");
    case Item::primarySelection:
        return QStringLiteral("读取选中文本（PRIMARY）");
    case Item::xtest:
        return QStringLiteral("模拟复制按键（XTEST）");
    case Item::record:
        return QStringLiteral("划词浮标的鼠标监听（RECORD）");
    case Item::dictionaryData:
        return QStringLiteral("离线词典（WordNet）");
    case Item::aiEndpoint:
        return QStringLiteral("AI 服务地址");
    case Item::dataControlSelection:
        return QStringLiteral("读取选中文本（data-control）");
    case Item::portalShortcut:
        return QStringLiteral("全局快捷键（桌面门户）");
    case Item::portalKeyboard:
        return QStringLiteral("模拟复制按键（桌面门户的远程控制键盘）");
    case Item::waylandMouseWatch:
        return QStringLiteral("划词浮标的鼠标监听");
    }
    return {};
}

QString DesktopCheck::remedy(Item item)
{
    switch (item) {
    case Item::displaySession:
        return QStringLiteral("请在 X11 图形会话中运行（Wayland 下请选择带 Xwayland 的会话，或确认已设置 DISPLAY）。");
    case Item::trayHost:
        return QStringLiteral("桌面没有托盘区：请启用托盘扩展（如 AppIndicator），或直接用快捷键和 rarozezev open 打开窗口。");
    case Item::notificationServer:
        return QStringLiteral("没有通知服务：请安装并启动通知守护进程（如 dunst、mako 或桌面自带的通知中心），否则提醒无法显示。");
    case Item::secretService:
        return QStringLiteral("没有可用的密钥环：请安装并解锁 gnome-keyring 或 KWallet，否则无法保存和读取 API Key。");
    case Item::soundServer:
        return QStringLiteral("没有声音输出：请启动 PipeWire 或 PulseAudio，并确认有可用的输出设备。");
    case Item::hotkeyGrab:
        return QStringLiteral("快捷键已被其他程序占用：请在设置的“查词触发”中换一个组合键。");
    case Item::primarySelection:
        return QStringLiteral("无法读取选区：请确认程序运行在 X11 会话中（DISPLAY 已设置）。");
    case Item::xtest:
        return QStringLiteral("X 服务器没有 XTEST 扩展：无法用复制方式读取选区，请启用该扩展。");
    case Item::record:
        return QStringLiteral("X 服务器没有 RECORD 扩展：划词浮标无法工作，请启用该扩展或改用快捷键。");
    case Item::dictionaryData:
        return QStringLiteral("没有 WordNet 数据：请安装 wordnet-base（或发行版的 wordnet 软件包）以离线查单词。");
    case Item::aiEndpoint:
        return QStringLiteral("AI 服务不可用：请在设置的“AI 设置”中检查 Base URL、模型和 API Key，并确认网络可以访问该地址。");
    case Item::dataControlSelection:
        return QStringLiteral("此桌面不允许程序读取其他程序的选区：请把文字粘贴到查词窗口，或在 X11 程序（经 XWayland）中选中；"
                              "KDE Plasma 和 sway 等 wlroots 桌面可以直接读取。");
    case Item::portalShortcut:
        return bindTriggerRemedy(DesktopSession::Desktop::other);
    case Item::portalKeyboard:
        return QStringLiteral("桌面不提供远程控制键盘：应用没有设置主选区时无法用复制方式读取，请直接选中文本再查词。");
    case Item::waylandMouseWatch:
        return QStringLiteral("划词浮标在 Wayland 下关闭，请用快捷键查词。");
    }
    return {};
}

QString DesktopCheck::bindTriggerRemedy(DesktopSession::Desktop desktop)
{
    QString where;
    switch (desktop) {
    case DesktopSession::Desktop::gnome:
        where = QStringLiteral("GNOME：设置 → 键盘 → 键盘快捷键 → 自定义快捷键，命令填 rarozezev trigger");
        break;
    case DesktopSession::Desktop::kde:
        where = QStringLiteral("KDE Plasma：系统设置 → 快捷键 → 添加新的 → 命令，命令填 rarozezev trigger");
        break;
    case DesktopSession::Desktop::wlroots:
        where = QStringLiteral("sway：在 ~/.config/sway/config 中加入 bindsym Mod1+d exec rarozezev trigger");
        break;
    case DesktopSession::Desktop::hyprland:
        where = QStringLiteral("Hyprland：在 hyprland.conf 中加入 bind = ALT, D, exec, rarozezev trigger");
        break;
    case DesktopSession::Desktop::xfce:
    case DesktopSession::Desktop::other:
        where = QStringLiteral("在桌面的键盘快捷键设置中添加命令 rarozezev trigger");
        break;
    }
    return QStringLiteral("桌面门户不提供全局快捷键：请把 `rarozezev trigger` 绑定为桌面快捷键（%1）。").arg(where);
}

QString DesktopCheck::Line::title() const { return DesktopCheck::title(item); }

QString DesktopCheck::Line::remedy() const
{
    if (ok)
        return {};
    return specificRemedy.isEmpty() ? DesktopCheck::remedy(item) : specificRemedy;
}

QString DesktopCheck::Line::text() const
{
    QString line = (ok ? QStringLiteral("✓ ") : QStringLiteral("✗ ")) + title();
    if (!detail.isEmpty())
        line += QStringLiteral("：") + detail;
    if (!ok)
        line += QStringLiteral(" —— ") + remedy();
    return line;
}

QString DesktopCheck::Report::text() const
{
    QStringList out;
    for (const Line &line : lines)
        out.append(line.text());
    out.append(mainJobWorks ? QStringLiteral("结论：划词查词可以正常工作。")
                            : QStringLiteral("结论：划词查词目前无法正常工作，请按上面标 ✗ 的提示处理。"));
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool DesktopCheck::mainJobWorks(const QList<Line> &lines)
{
    const auto works = [&lines](Item item) {
        return std::none_of(lines.cbegin(), lines.cend(),
                            [item](const Line &l) { return l.item == item && !l.ok && !l.fallbackWorks; });
    };
    // Alternatives probed in one session kind only: one of those probed works.
    const auto anyWorks = [&lines, &works](std::initializer_list<Item> items) {
        const auto probed = [&lines](Item item) {
            return std::any_of(lines.cbegin(), lines.cend(), [item](const Line &l) { return l.item == item; });
        };
        return std::none_of(items.begin(), items.end(), probed)
               || std::any_of(items.begin(), items.end(), [&](Item item) { return probed(item) && works(item); });
    };
    const bool canRead = works(Item::displaySession) && anyWorks({Item::primarySelection, Item::dataControlSelection});
    const bool canTrigger = anyWorks({Item::hotkeyGrab, Item::record, Item::portalShortcut, Item::waylandMouseWatch});
    const bool canAnswer = (works(Item::aiEndpoint) && works(Item::secretService)) || works(Item::dictionaryData);
    return canRead && canTrigger && canAnswer;
}

QCoro::Task<DesktopCheck::Report> DesktopCheck::run(QList<std::pair<Item, Probe>> probes)
{
    Report report;
    for (auto &[item, probe] : probes) {
        Line line{item, false, {}};
        try {
            const ProbeResult result = co_await probe();
            line.ok = result.ok;
            line.detail = result.detail;
            line.fallbackWorks = result.fallbackWorks;
            line.specificRemedy = result.remedy;
        } catch (const std::exception &error) {
            line.detail = QString::fromUtf8(error.what());
        }
        report.lines.append(line);
    }
    report.mainJobWorks = mainJobWorks(report.lines);
    co_return report;
}
