#include "app/cli/ManualPage.h"

#include "app/cli/CommandIO.h"
#include "app/cli/LookupCommand.h"
#include "preferences/LaunchAtLogin.h"

#include <QRegularExpression>

namespace {

const QString usagePrefix = QStringLiteral("用法：");
const QString commandsHeader = QStringLiteral("命令：");
const QString optionsHeader = QStringLiteral("选项：");

// One piece of a help text: the usage line, a header ("选项："), a term with its description
// (an indented line; deeper indented lines continue the description) or a paragraph.
struct HelpBlock {
    enum class Kind { usage, header, entry, paragraph } kind;
    QString text;        // the usage, header or paragraph, or the entry's term
    QString description; // an entry's
    QString section;     // the header above it, if any
};

bool isWide(QChar c) { return c.unicode() >= 0x2E80; }

// Joins wrapped lines: Chinese runs on without a space, other text with one.
void append(QString &text, const QString &more)
{
    if (!text.isEmpty() && !more.isEmpty() && !(isWide(text.back()) && isWide(more.front())))
        text += QLatin1Char(' ');
    text += more;
}

QList<HelpBlock> parse(const QString &help)
{
    static const QRegularExpression entry(QStringLiteral("^  (\\S(?:.*?\\S)?)(?: {2,}(.*))?$"));
    QList<HelpBlock> blocks;
    QString section;
    bool paragraphOpen = false;
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty()) {
            paragraphOpen = false;
            continue;
        }
        if (line.startsWith(usagePrefix)) {
            blocks.append({HelpBlock::Kind::usage, line.mid(usagePrefix.size()), {}, section});
        } else if (line.startsWith(QLatin1String("   ")) && !blocks.isEmpty()
                   && blocks.back().kind == HelpBlock::Kind::entry) {
            append(blocks.back().description, trimmed);
        } else if (const auto match = entry.match(line); line.startsWith(QLatin1String("  ")) && match.hasMatch()) {
            blocks.append({HelpBlock::Kind::entry, match.captured(1), match.captured(2).trimmed(), section});
        } else if (!line.startsWith(QLatin1Char(' ')) && trimmed.endsWith(QStringLiteral("："))) {
            section = trimmed;
            blocks.append({HelpBlock::Kind::header, trimmed, {}, section});
        } else if (paragraphOpen && blocks.back().kind == HelpBlock::Kind::paragraph) {
            append(blocks.back().text, trimmed);
            continue;
        } else {
            blocks.append({HelpBlock::Kind::paragraph, trimmed, {}, section});
        }
        paragraphOpen = blocks.back().kind == HelpBlock::Kind::paragraph;
    }
    return blocks;
}

// Text as roff prints it: backslashes and minus signs literal, no line read as a request.
QString roff(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\e")).replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (escaped.startsWith(QLatin1Char('.')) || escaped.startsWith(QLatin1Char('\'')))
        escaped.prepend(QStringLiteral("\\&"));
    // Chinese has no spaces: a line may break after any wide character.
    QString breakable;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        breakable += escaped[i];
        if (isWide(escaped[i]) && i + 1 < escaped.size())
            breakable += QStringLiteral("\\:");
    }
    return breakable;
}

QString bold(const QString &text) { return QStringLiteral("\\fB") + roff(text) + QStringLiteral("\\fR"); }

QString entry(const QString &term, const QString &description)
{
    return QStringLiteral(".TP\n") + bold(term) + QLatin1Char('\n') + (description.isEmpty() ? QStringLiteral("\\&") : roff(description))
           + QLatin1Char('\n');
}

QString renderBlock(const HelpBlock &block)
{
    switch (block.kind) {
    case HelpBlock::Kind::usage:
        return QStringLiteral(".PP\n") + bold(block.text) + QLatin1Char('\n');
    case HelpBlock::Kind::header:
        return QStringLiteral(".PP\n") + bold(block.text) + QLatin1Char('\n');
    case HelpBlock::Kind::entry:
        return entry(block.text, block.description);
    case HelpBlock::Kind::paragraph:
        return QStringLiteral(".PP\n") + roff(block.text) + QLatin1Char('\n');
    }
    return {};
}

QString section(const QString &title) { return QStringLiteral(".SH \"") + title + QStringLiteral("\"\n"); }

} // namespace

QList<ManualPage::Command> ManualPage::commandsListedIn(const QString &programHelp)
{
    static const QRegularExpression helpHint(QStringLiteral("（rarozezev \\S+ --help）$"));
    QList<Command> commands;
    for (const HelpBlock &block : parse(programHelp)) {
        if (block.kind == HelpBlock::Kind::entry && block.section == commandsHeader)
            commands.append({block.text, QString(block.description).remove(helpHint), {}});
    }
    return commands;
}

QString ManualPage::render(const QString &programHelp, const QList<Command> &commands, const QString &version)
{
    const QList<HelpBlock> program = parse(programHelp);
    // Left-aligned: stretched spaces between Chinese and Latin words read as gaps.
    QString page = QStringLiteral(".TH RAROZEZEV 1 \"\" \"%1\" \"Rarozezev\"\n.ad l\n").arg(roff(version.trimmed()));
    page += section(QStringLiteral("NAME")) + QStringLiteral("rarozezev \\- 中文学习者的英语查词与复习助手\n");

    page += section(QStringLiteral("SYNOPSIS"));
    for (const HelpBlock &block : program) {
        if (block.kind == HelpBlock::Kind::usage)
            page += bold(block.text) + QStringLiteral("\n.br\n");
    }
    for (const Command &command : commands) {
        for (const HelpBlock &block : parse(command.help)) {
            if (block.kind == HelpBlock::Kind::usage)
                page += bold(block.text) + QStringLiteral("\n.br\n");
        }
    }

    page += section(QStringLiteral("DESCRIPTION"));
    for (const HelpBlock &block : program) {
        if (block.kind == HelpBlock::Kind::paragraph)
            page += renderBlock(block);
    }
    page += QStringLiteral(".PP\n") + roff(QStringLiteral(
        "托盘应用在系统托盘中显示为“英语助手”，菜单中可打开查词窗口、收藏本、复习和“今日英文推荐”。"
        "在任何程序中选中英文后按 Alt+D，查词面板先显示快速解释，再显示 AI 服务给出的完整中文解释；"
        "单个单词也可以离线在 WordNet 词典中查询。每个登录会话只运行一个实例，再次启动时打开已运行实例的查词面板。")) + QLatin1Char('\n');

    page += section(QStringLiteral("OPTIONS"));
    for (const HelpBlock &block : program) {
        if (block.kind == HelpBlock::Kind::entry && block.section == optionsHeader)
            page += entry(block.text, block.description);
    }

    page += section(QStringLiteral("COMMANDS"));
    for (const Command &command : commands) {
        page += QStringLiteral(".SS \"%1\"\n").arg(roff(command.name));
        page += roff(command.summary) + QLatin1Char('\n');
        for (const HelpBlock &block : parse(command.help))
            page += renderBlock(block);
    }

    page += section(QStringLiteral("EXIT STATUS"));
    page += entry(QString::number(CommandIO::success), QStringLiteral("成功。"))
            + entry(QString::number(CommandIO::failure), QStringLiteral("失败，原因以中文写在标准错误输出中。"))
            + entry(QString::number(CommandIO::usageError), QStringLiteral("用法错误：未知的命令、选项或参数。"))
            + entry(QStringLiteral("128 + N"), QStringLiteral("被信号 N 中断，例如 Ctrl+C（SIGINT）为 %1。")
                                                   .arg(CommandIO::interrupted));

    page += section(QStringLiteral("ENVIRONMENT"));
    page += entry(QString::fromLatin1(LookupCommand::apiKeyVariable),
                  QStringLiteral("lookup 与 daily 使用的 AI API Key；设置后不访问系统密钥环。"))
            + entry(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("设置、查词缓存和收藏所在的目录（默认 ~/.local/share）。"))
            + entry(QStringLiteral("XDG_STATE_HOME"), QStringLiteral("诊断日志所在的目录（默认 ~/.local/state）。"))
            + entry(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("登录时启动的自启动文件所在的目录（默认 ~/.config）。"))
            + entry(QStringLiteral("DISPLAY"), QStringLiteral("X11 显示服务器；Alt+D、划词徽标和 lookup --selection 需要它。"))
            + entry(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                    QStringLiteral("D-Bus 会话总线；单实例、rarozezev open 和系统密钥环需要它。"));

    page += section(QStringLiteral("FILES"));
    page += entry(QStringLiteral("$XDG_DATA_HOME/Rarozezev/UserDefaults.sqlite3"),
                  QStringLiteral("设置、查词缓存和今日英文推荐文章。"))
            + entry(QStringLiteral("$XDG_DATA_HOME/Rarozezev/Collection.sqlite3"), QStringLiteral("收藏和复习记录。"))
            + entry(QStringLiteral("$XDG_STATE_HOME/Rarozezev/Logs/"), QStringLiteral("诊断日志（其中的 API Key 已被遮盖）。"))
            + entry(QStringLiteral("$XDG_CONFIG_HOME/autostart/") + LaunchAtLogin::fileName,
                    QStringLiteral("登录时启动（rarozezev config set launchAtLogin true|false）。"))
            + entry(QStringLiteral("/usr/share/wordnet/"), QStringLiteral("离线词典使用的 WordNet 3.0 数据库。"));
    page += QStringLiteral(".PP\n")
            + roff(QStringLiteral("API Key 保存在 Secret Service 系统密钥环中（服务 com.rarozezev.Rarozezev），不写入文件。"))
            + QLatin1Char('\n');
    return page;
}
