#pragma once

#include "models/UserSettings.h"
#include "services/OpenAICompatibleAIClient.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QRegularExpression>
#include <QString>

// Shared by the AI client's tests over the fake and the real transport.

inline UserSettings validSettings()
{
    UserSettings settings;
    settings.apiKey = QStringLiteral("sk-test-0123456789");
    settings.aiModel = QStringLiteral("gpt-4o-mini");
    settings.baseURL = QStringLiteral("https://api.example.com/v1/chat/completions");
    return settings;
}

// A chat-completions response body whose first choice says `content`.
inline QByteArray chatAnswer(const QString &content)
{
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), content}};
    const QJsonObject choice{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message}};
    return QJsonDocument(QJsonObject{{QStringLiteral("choices"), QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

inline const QString goodLookupContent = QStringLiteral(
    R"({"selectedText":"apple","itemType":"word","phonetic":"/ˈæp.əl/","contextualMeaning":"苹果",)"
    R"("commonMeanings":["苹果","苹果树"],"examples":["An apple a day."]})");
inline const QString goodFastContent =
    QStringLiteral(R"({"selectedText":"apple","itemType":"word","primaryMeaning":"苹果"})");

// Collects the client's failure lines instead of the silent test-host logger.
struct FailureLog {
    QList<QString> lines;

    OpenAICompatibleAIClient::FailureLogger logger()
    {
        return [this](const QString &line) { lines.append(line); };
    }
    // The line with its elapsed time replaced by "N", which no test can predict.
    QString normalized(qsizetype index) const
    {
        static const QRegularExpression elapsed(QStringLiteral("elapsedMs=\\d+"));
        return QString(lines.at(index)).replace(elapsed, QStringLiteral("elapsedMs=N"));
    }
    qint64 elapsedMs(qsizetype index) const
    {
        static const QRegularExpression elapsed(QStringLiteral("elapsedMs=(\\d+)"));
        return elapsed.match(lines.at(index)).captured(1).toLongLong();
    }
};
