#include "app/cli/LearningItemListing.h"

#include "collection/LearningItem.h"
#include "export/LearningItemExportItem.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

constexpr int kIDWidth = 36;
constexpr int kTypeWidth = 8; // "sentence"
constexpr int kTimeWidth = 16; // "2025-03-01 20:30"
const QString kGap = QStringLiteral("  ");

// Terminals draw each of these headers' Chinese characters two columns wide.
QString headerCell(const QString &title, int columns, int width)
{
    return title + QString(width - columns, QLatin1Char(' ')) + kGap;
}

} // namespace

QString LearningItemListing::table(const QList<std::shared_ptr<LearningItem>> &items, const QString &emptyMessage)
{
    QString lines;
    for (const std::shared_ptr<LearningItem> &item : items) {
        if (!item)
            continue;
        lines += exportUuidString(item->id) + kGap + rawValue(item->type()).leftJustified(kTypeWidth) + kGap
                 + localTime(item->nextReviewAt).leftJustified(kTimeWidth) + kGap + item->text.simplified()
                 + QLatin1Char('\n');
    }
    if (lines.isEmpty())
        return emptyMessage + QLatin1Char('\n');
    return headerCell(QStringLiteral("ID"), 2, kIDWidth) + headerCell(QStringLiteral("类型"), 4, kTypeWidth)
           + headerCell(QStringLiteral("下次复习"), 8, kTimeWidth) + QStringLiteral("原文\n") + lines;
}

QString LearningItemListing::json(const QList<std::shared_ptr<LearningItem>> &items)
{
    QJsonArray array;
    for (const std::shared_ptr<LearningItem> &item : items) {
        if (item)
            array.append(LearningItemExportItem::from(*item).toJSON());
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString LearningItemListing::localTime(const QDateTime &date)
{
    return date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}
