#include "app/cli/ReviewCommand.h"

#include "app/cli/CommandArguments.h"
#include "app/cli/LearningItemListing.h"
#include "collection/LearningItemStore.h"

#include <optional>

namespace {

const QString kSaveFailedMessage = QStringLiteral("复习结果保存失败。");
const QString kLoadFailedMessage = QStringLiteral("待复习内容加载失败。");

} // namespace

ReviewCommand::ReviewCommand(CommandIO io, CommandCollection::Opener openCollection,
                             ReviewViewModel::RandomSource random, Clock now)
    : m_io(io),
      m_collection(std::move(openCollection)),
      m_random(std::move(random)),
      m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTimeUtc(); }))
{
}

QString ReviewCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev review <子命令>\n"
        "\n"
        "子命令：\n"
        "  due [--format text|json]             列出现在该复习的收藏，最早到期的在前\n"
        "  answer ID forgot|hard|good|easy      记录一次复习结果（忘记、困难、良好、简单），\n"
        "                                       并显示下次复习时间\n"
        "\n"
        "answer 也可以用于还没到期的条目：结果照常记录，复习计划从现在起重新安排。\n"
        "ID 见 review due 或 rarozezev collection list 的第一列；ID 或结果格式不对时视为用法错误\n"
        "（退出码 2），收藏中没有该 ID 时退出码为 1。\n");
}

int ReviewCommand::run(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usageError(QStringLiteral("缺少子命令。"));
    const QString sub = arguments.first();
    if (CommandArguments::isHelpWord(sub)) {
        m_io.print(helpText());
        return CommandIO::success;
    }
    const bool due = sub == QLatin1String("due");
    if (!due && sub != QLatin1String("answer"))
        return usageError(QStringLiteral("未知的子命令：%1").arg(sub));
    QMap<QString, QStringList> options;
    if (due)
        options.insert(QStringLiteral("--format"), {QStringLiteral("text"), QStringLiteral("json")});
    auto parsed = CommandArguments::parse(arguments.mid(1), options);
    if (const QString *message = std::get_if<QString>(&parsed))
        return usageError(*message);
    const CommandArguments args = std::get<CommandArguments>(std::move(parsed));
    if (args.help) {
        m_io.print(helpText());
        return CommandIO::success;
    }
    if (args.words.size() != (due ? 0 : 2))
        return usageError(QStringLiteral("review %1 的参数个数不对。").arg(sub));

    std::optional<QUuid> id;
    std::optional<ReviewResult> result;
    if (!due) {
        id = CommandCollection::parseID(args.words[0]);
        if (!id)
            return usageError(QStringLiteral("“%1”不是收藏条目的 ID。").arg(args.words[0]));
        result = reviewResultFromRawValue(args.words[1]);
        if (!result)
            return usageError(QStringLiteral("复习结果只能是 forgot、hard、good 或 easy，而不是“%1”。").arg(args.words[1]));
    }

    std::optional<LearningItemStore> store = m_collection.open(m_io);
    if (!store)
        return CommandIO::failure;
    if (due)
        return listDue(*store, args.value(QStringLiteral("--format")) == QLatin1String("json"));
    return answer(*store, *id, *result);
}

int ReviewCommand::listDue(LearningItemStore &store, bool json)
{
    QList<std::shared_ptr<LearningItem>> items;
    try {
        items = store.dueItems(m_now());
    } catch (...) {
        return fail(kLoadFailedMessage);
    }
    m_io.print(json ? LearningItemListing::json(items)
                    : LearningItemListing::table(items, QStringLiteral("今天没有待复习内容。")));
    return CommandIO::success;
}

int ReviewCommand::answer(LearningItemStore &store, const QUuid &id, ReviewResult result)
{
    const std::shared_ptr<LearningItem> item = CommandCollection::find(store, id, m_io);
    if (!item)
        return CommandIO::failure;
    try {
        store.recordReview(item, result, ReviewViewModel::drawPromptType(item->type(), m_random), m_now());
    } catch (...) {
        return fail(kSaveFailedMessage);
    }
    m_io.print(QStringLiteral("下次复习：%1\n").arg(LearningItemListing::localTime(item->nextReviewAt)));
    return CommandIO::success;
}

int ReviewCommand::usageError(const QString &message) const
{
    return m_io.reportUsageError(message, QStringLiteral("rarozezev review --help"));
}

int ReviewCommand::fail(const QString &message) const
{
    m_io.printError(message + QLatin1Char('\n'));
    return CommandIO::failure;
}
