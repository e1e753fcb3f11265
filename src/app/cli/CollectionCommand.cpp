#include "app/cli/CollectionCommand.h"

#include "app/cli/CommandArguments.h"
#include "app/cli/LearningItemListing.h"
#include "export/LearningItemExportItem.h"
#include "export/LearningItemExporter.h"
#include "collection/LearningItemStore.h"

#include <QFileInfo>

#include <optional>

namespace {

const QString kExportFailedMessage = QStringLiteral("收藏导出失败，请换一个保存位置后重试。");
const QString kRemoveFailedMessage = QStringLiteral("取消收藏失败。");

} // namespace

CollectionCommand::CollectionCommand(CommandIO io, CommandCollection::Opener openCollection, Clock now)
    : m_io(io),
      m_collection(std::move(openCollection)),
      m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTimeUtc(); }))
{
}

QString CollectionCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev collection <子命令>\n"
        "\n"
        "子命令：\n"
        "  list [--format text|json]          列出全部收藏，最新的在前；json 为导出文件中的条目格式\n"
        "  remove ID                          删除一条收藏（ID 见 list 的第一列）\n"
        "  export --format json|xlsx PATH     把全部收藏导出为 JSON 文件或 XLSX 表格，写入 PATH\n"
        "                                     （已有文件会被替换）\n"
        "\n"
        "ID 格式不对时视为用法错误（退出码 2）；收藏中没有该 ID 时退出码为 1。\n"
        "收藏保存在 $XDG_DATA_HOME/Rarozezev/Collection.sqlite3（默认 ~/.local/share）。\n");
}

int CollectionCommand::run(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usageError(QStringLiteral("缺少子命令。"));
    const QString sub = arguments.first();
    if (CommandArguments::isHelpWord(sub)) {
        m_io.print(helpText());
        return CommandIO::success;
    }
    QMap<QString, QStringList> options;
    qsizetype expectedWords = 0;
    if (sub == QLatin1String("list")) {
        options.insert(QStringLiteral("--format"), {QStringLiteral("text"), QStringLiteral("json")});
    } else if (sub == QLatin1String("remove")) {
        expectedWords = 1;
    } else if (sub == QLatin1String("export")) {
        options.insert(QStringLiteral("--format"), {QStringLiteral("json"), QStringLiteral("xlsx")});
        expectedWords = 1;
    } else {
        return usageError(QStringLiteral("未知的子命令：%1").arg(sub));
    }
    auto parsed = CommandArguments::parse(arguments.mid(1), options);
    if (const QString *message = std::get_if<QString>(&parsed))
        return usageError(*message);
    const CommandArguments args = std::get<CommandArguments>(std::move(parsed));
    if (args.help) {
        m_io.print(helpText());
        return CommandIO::success;
    }
    if (args.words.size() != expectedWords)
        return usageError(QStringLiteral("collection %1 的参数个数不对。").arg(sub));

    std::optional<QUuid> id;
    if (sub == QLatin1String("remove")) {
        id = CommandCollection::parseID(args.words.first());
        if (!id)
            return usageError(QStringLiteral("“%1”不是收藏条目的 ID。").arg(args.words.first()));
    }
    if (sub == QLatin1String("export") && !args.values.contains(QStringLiteral("--format")))
        return usageError(QStringLiteral("collection export 需要 --format json 或 --format xlsx。"));
    if (sub == QLatin1String("export") && args.words.first().isEmpty())
        return usageError(QStringLiteral("collection export 需要一个文件路径。"));

    std::optional<LearningItemStore> store = m_collection.open(m_io);
    if (!store)
        return CommandIO::failure;
    if (sub == QLatin1String("list"))
        return list(*store, args.value(QStringLiteral("--format")) == QLatin1String("json"));
    if (sub == QLatin1String("remove"))
        return remove(*store, *id);
    return exportItems(*store, args.value(QStringLiteral("--format")) == QLatin1String("xlsx"), args.words.first());
}

int CollectionCommand::list(LearningItemStore &store, bool json)
{
    QList<std::shared_ptr<LearningItem>> items;
    try {
        items = store.allItems();
    } catch (...) {
        return fail(CommandCollection::loadFailedMessage());
    }
    m_io.print(json ? LearningItemListing::json(items) : LearningItemListing::table(items, QStringLiteral("收藏中还没有内容。")));
    return CommandIO::success;
}

int CollectionCommand::remove(LearningItemStore &store, const QUuid &id)
{
    const std::shared_ptr<LearningItem> item = CommandCollection::find(store, id, m_io);
    if (!item)
        return CommandIO::failure;
    try {
        store.remove(item);
    } catch (...) {
        return fail(kRemoveFailedMessage);
    }
    m_io.printError(QStringLiteral("已从收藏中删除“%1”。\n").arg(item->text.simplified()));
    return CommandIO::success;
}

int CollectionCommand::exportItems(LearningItemStore &store, bool xlsx, const QString &path)
{
    QList<std::shared_ptr<LearningItem>> items;
    try {
        items = store.allItems();
    } catch (...) {
        return fail(CommandCollection::loadFailedMessage());
    }
    const QString target = QFileInfo(path).absoluteFilePath();
    try {
        const QByteArray data =
            xlsx ? LearningItemExporter::xlsxData(items) : LearningItemExporter::jsonData(items, m_now());
        LearningItemExporter::writeAtomically(data, target);
    } catch (...) {
        return fail(kExportFailedMessage);
    }
    m_io.print(target + QLatin1Char('\n'));
    return CommandIO::success;
}

int CollectionCommand::usageError(const QString &message) const
{
    return m_io.reportUsageError(message, QStringLiteral("rarozezev collection --help"));
}

int CollectionCommand::fail(const QString &message) const
{
    m_io.printError(message + QLatin1Char('\n'));
    return CommandIO::failure;
}
