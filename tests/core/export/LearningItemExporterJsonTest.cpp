#include "export/LearningItemExporter.h"

#include "support/TestSupport.h"
#include "core/export/ExportTestItems.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

static QJsonObject parse(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

// Every key of every object, in the order the document text lists them.
static QStringList keysInTextOrder(const QByteArray &json)
{
    QStringList keys;
    static const QRegularExpression key(QStringLiteral(R"re("(\w+)":)re"));
    for (const auto &match : key.globalMatch(QString::fromUtf8(json)))
        keys.append(match.captured(1));
    return keys;
}

TEST(LearningItemExporterJson, documentHoldsVersionDateAndItemsWithSortedKeys)
{
    const QByteArray json = LearningItemExporter::jsonData({reviewedWord()}, utcDate(2025, 3, 5, 21, 0, 0));
    EXPECT_EQ(keysInTextOrder(json),
              QStringList({"exportedAt", "items", "contextAfter", "contextBefore", "createdAt", "errorCount",
                           "examples", "explanation", "familiarity", "id", "lastReviewedAt", "nextReviewAt",
                           "reviewCount", "sourceApp", "sourceTitle", "tags", "text", "type", "updatedAt",
                           "version"}));
    EXPECT_TRUE(json.contains("\n    \"items\": [")) << "pretty-printed";

    const QJsonObject document = parse(json);
    EXPECT_EQ(document.value("version"), QJsonValue(1));
    EXPECT_EQ(document.value("exportedAt").toString(), QStringLiteral("2025-03-05T21:00:00Z"));
    const QJsonObject item = document.value("items").toArray().at(0).toObject();
    EXPECT_EQ(item.value("id").toString(), QStringLiteral("6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B"));
    EXPECT_EQ(item.value("type").toString(), QStringLiteral("word"));
    EXPECT_EQ(item.value("examples").toArray(),
              QJsonArray({QStringLiteral("A happy serendipity."), QStringLiteral("Pure serendipity.")}));
    EXPECT_EQ(item.value("tags").toArray(), QJsonArray({QStringLiteral("GRE"), QStringLiteral("美好")}));
    EXPECT_EQ(item.value("familiarity").toString(), QStringLiteral("learning"));
    EXPECT_EQ(item.value("lastReviewedAt").toString(), QStringLiteral("2025-03-02T08:00:05Z"));
    EXPECT_EQ(item.value("reviewCount"), QJsonValue(3));
    EXPECT_EQ(item.value("errorCount"), QJsonValue(1));
    EXPECT_FALSE(item.contains("ease")) << "scheduling internals stay out of the export";
}

TEST(LearningItemExporterJson, absentOptionalsAreLeftOutNotNull)
{
    auto item = newPhrase();
    item->sourceTitle = QString(); // present but empty is still written
    const QJsonObject exported =
        parse(LearningItemExporter::jsonData({item}, utcDate(2025, 3, 5, 21, 0, 0))).value("items")[0].toObject();
    for (const char *key : {"lastReviewedAt", "sourceApp", "contextBefore", "contextAfter"})
        EXPECT_FALSE(exported.contains(key)) << key;
    EXPECT_EQ(exported.value("sourceTitle"), QJsonValue(QString()));
    EXPECT_EQ(exported.value("examples").toArray(), QJsonArray());
    EXPECT_EQ(exported.value("tags").toArray(), QJsonArray());
    EXPECT_EQ(exported.size(), 13);
}

TEST(LearningItemExporterJson, emptyCollectionHasAnEmptyItemsArray)
{
    const QJsonObject document = parse(LearningItemExporter::jsonData({}, utcDate(2025, 3, 5, 21, 0, 0)));
    EXPECT_EQ(document.keys(), QStringList({"exportedAt", "items", "version"}));
    EXPECT_EQ(document.value("items").toArray(), QJsonArray());
}
