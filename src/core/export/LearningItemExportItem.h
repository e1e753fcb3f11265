#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

class LearningItem;

// One saved item as it appears in an exported JSON document: a plain copy of the
// fields worth keeping outside the program (no scheduling internals such as the ease).
struct LearningItemExportItem {
    QUuid id;
    QString type;
    QString text;
    QString explanation;
    QStringList examples;
    QStringList tags;
    std::optional<QString> sourceApp;
    std::optional<QString> sourceTitle;
    std::optional<QString> contextBefore;
    std::optional<QString> contextAfter;
    QString familiarity;
    QDateTime createdAt;
    QDateTime updatedAt;
    std::optional<QDateTime> lastReviewedAt;
    QDateTime nextReviewAt;
    qint64 reviewCount = 0;
    qint64 errorCount = 0;

    // Takes the type and familiarity as the item reads them (unknown stored text falls
    // back to "word" and "new").
    static LearningItemExportItem from(const LearningItem &item);

    // Absent optionals are left out rather than written as null.
    QJsonObject toJSON() const;

    bool operator==(const LearningItemExportItem &) const = default;
};

// The export form of dates: UTC, whole seconds, "Z" (2025-03-01T12:30:00Z).
QString exportDateString(const QDateTime &date);
// Upper-case and hyphenated, without braces.
QString exportUuidString(const QUuid &id);
