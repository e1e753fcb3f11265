#include "export/LearningItemExporter.h"

#include "core/export/ExportTestItems.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

static QJsonObject exported(const QList<std::shared_ptr<LearningItem>> &items)
{
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(LearningItemExporter::jsonData(items, utcDate(2025, 3, 5, 21, 0, 0)), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
    return document.object();
}

TEST(LearningItemExporterJson, WritesEveryUserFieldInUTCAndLeavesAbsentOptionalsOut)
{
    auto phrase = newPhrase();
    phrase->sourceTitle = QString(); // present but empty is still written
    const QJsonObject document = exported({reviewedWord(), nullptr, phrase});
    EXPECT_EQ(document.value("version"), QJsonValue(1));
    EXPECT_EQ(document.value("exportedAt"), QJsonValue("2025-03-05T21:00:00Z"));
    const QJsonArray items = document.value("items").toArray();
    ASSERT_EQ(items.size(), 2) << "null entries are skipped";
    // No scheduling internals (ease, streak) in the export.
    EXPECT_EQ(items[0].toObject(), (QJsonObject{
        {"id", "6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B"}, {"type", "word"}, {"text", "serendipity"},
        {"explanation", "### 释义\n\n意外发现珍宝的运气"},
        {"examples", QJsonArray{"A happy serendipity.", "Pure serendipity."}}, {"tags", QJsonArray{"GRE", "美好"}},
        {"sourceApp", "Reader"}, {"sourceTitle", "Chapter 1"}, {"contextBefore", "It was pure"},
        {"contextAfter", "that we met."}, {"familiarity", "learning"}, {"createdAt", "2025-03-01T12:30:00Z"},
        {"updatedAt", "2025-03-02T08:00:05Z"}, {"lastReviewedAt", "2025-03-02T08:00:05Z"},
        {"nextReviewAt", "2025-03-04T08:00:05Z"}, {"reviewCount", 3}, {"errorCount", 1}}));
    EXPECT_EQ(items[1].toObject(), (QJsonObject{
        {"id", "00000000-0000-4000-8000-00000000000A"}, {"type", "phrase"}, {"text", "give up"},
        {"explanation", "放弃"}, {"examples", QJsonArray()}, {"tags", QJsonArray()}, {"sourceTitle", ""},
        {"familiarity", "new"}, {"createdAt", "2025-03-01T09:00:00Z"}, {"updatedAt", "2025-03-01T09:00:00Z"},
        {"nextReviewAt", "2025-03-01T10:00:00Z"}, {"reviewCount", 0}, {"errorCount", 0}}));
    EXPECT_EQ(exported({}).value("items"), QJsonValue(QJsonArray()));
}
