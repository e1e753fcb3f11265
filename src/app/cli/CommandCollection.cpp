#include "app/cli/CommandCollection.h"

#include "app/cli/CommandErrorMessage.h"
#include "export/LearningItemExportItem.h"
#include "storage/ModelStoreError.h"

CommandCollection::CommandCollection(Opener opener) : m_opener(std::move(opener)) {}

std::optional<LearningItemStore> CommandCollection::open(const CommandIO &io) const
{
    QString reason;
    try {
        return m_opener();
    } catch (const ModelStoreError &error) {
        reason = error.message();
    } catch (...) {
        reason = CommandErrorMessage::describe(std::current_exception());
    }
    // The application's own start-up message for the same failure.
    io.printError(QStringLiteral("无法创建本地数据容器: ") + reason + QLatin1Char('\n'));
    return std::nullopt;
}

std::optional<QUuid> CommandCollection::parseID(const QString &text)
{
    const QUuid id = QUuid::fromString(text.trimmed());
    if (id.isNull())
        return std::nullopt;
    return id;
}

std::shared_ptr<LearningItem> CommandCollection::find(LearningItemStore &store, const QUuid &id, const CommandIO &io)
{
    QList<std::shared_ptr<LearningItem>> items;
    try {
        items = store.allItems();
    } catch (...) {
        io.printError(loadFailedMessage() + QLatin1Char('\n'));
        return nullptr;
    }
    for (const std::shared_ptr<LearningItem> &item : items) {
        if (item && item->id == id)
            return item;
    }
    io.printError(QStringLiteral("收藏中没有 ID 为 %1 的条目。\n").arg(exportUuidString(id)));
    return nullptr;
}

QString CommandCollection::loadFailedMessage() { return QStringLiteral("收藏本加载失败。"); }
