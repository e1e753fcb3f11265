#pragma once

#include "app/cli/ApplicationInstanceConnecting.h"
#include "app/cli/CommandCollection.h"
#include "app/cli/CommandIO.h"
#include "app/cli/CommandServices.h"
#include "ai/AIClient.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "dictionary/NoOpSystemDictionaryClient.h"
#include "capture/SelectedTextCapturing.h"
#include "lookup/UserDefaultsLookupResultCache.h"
#include "storage/ModelContainer.h"
#include "storage/ModelStoreError.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <functional>

// What one command run ended with and printed.
struct CommandRun {
    int exitCode;
    QString out;
    QString err;
};

// Temporary files standing in for the standard streams of one command run.
class CapturedStreams {
public:
    explicit CapturedStreams(const QByteArray &input = {}) : m_in(std::tmpfile()), m_out(std::tmpfile()), m_err(std::tmpfile())
    {
        std::fwrite(input.constData(), 1, static_cast<size_t>(input.size()), m_in);
        std::rewind(m_in);
    }
    ~CapturedStreams()
    {
        for (FILE *file : {m_in, m_out, m_err})
            std::fclose(file);
    }
    CapturedStreams(const CapturedStreams &) = delete;
    CapturedStreams &operator=(const CapturedStreams &) = delete;

    CommandIO io() const { return CommandIO{m_in, m_out, m_err}; }
    QString out() const { return contents(m_out); }
    QString err() const { return contents(m_err); }
    CommandRun finish(int exitCode) const { return {exitCode, out(), err()}; }

private:
    static QString contents(FILE *file)
    {
        std::fflush(file);
        std::rewind(file);
        QByteArray bytes;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, static_cast<qsizetype>(n));
        return QString::fromUtf8(bytes);
    }

    FILE *m_in;
    FILE *m_out;
    FILE *m_err;
};

// Answers with canned records, or runs `failure` (which throws), and records what it was asked.
class FakeAIClient : public AIClient {
public:
    struct Call {
        QString text;
        LearningItemType itemType;
        QString apiKey;
    };

    QCoro::Task<LookupResult> lookup(QString text, std::optional<QString>, std::optional<QString>,
                                     LearningItemType itemType, UserSettings settings, CancellationToken) override
    {
        calls.append({text, itemType, settings.apiKey});
        if (failure)
            failure();
        co_return LookupResult(fullResult); // a copy: co_return would move the member out
    }

    QCoro::Task<FastLookupResult> fastLookup(QString text, std::optional<QString>, std::optional<QString>,
                                             LearningItemType itemType, UserSettings settings, CancellationToken) override
    {
        calls.append({text, itemType, settings.apiKey});
        if (failure)
            failure();
        co_return FastLookupResult(fastResult);
    }

    QList<Call> calls;
    std::function<void()> failure;
    LookupResult fullResult;
    FastLookupResult fastResult;
};

// A session without a running tray application and without a bus to find one on.
class UnreachableApplicationInstance : public ApplicationInstanceConnecting {
public:
    bool isReachable() override { return false; }
    bool isRunning() override { return false; }
    bool startApplication() override { return false; }
    QCoro::Task<bool> waitUntilRunning(std::chrono::milliseconds) override { co_return false; }
    QCoro::Task<void> requestOpen(QString) override { co_return; }
};

// Answers with `text`, or runs `failure` (which throws), and counts the captures.
class FakeSelectionCapture : public SelectedTextCapturing {
public:
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken) override
    {
        ++captures;
        if (failure)
            failure();
        co_return QString(text);
    }

    int captures = 0;
    QString text;
    std::function<void()> failure;
};

// Preferences, keys and cache in memory, over one user defaults, and a collection database in
// memory that can be told to refuse to open.
struct InMemoryCommandServices : CommandServices {
    AppPreferencesStoring &preferences() override { return prefs; }
    AIClient &aiClient() override { return ai; }
    LookupResultCaching &lookupResultCache() override { return cache; }
    const SystemDictionaryLookingUp &systemDictionary() override { return dictionary; }
    std::optional<QString> aiAPIKeyOverride() override { return apiKeyOverride; }
    ApplicationInstanceConnecting &applicationInstance() override { return instance; }
    ModelContext &collection() override
    {
        if (collectionFailure)
            throw ModelStoreError(*collectionFailure);
        return container.mainContext();
    }
    SelectedTextCapturing &selectionCaptureService() override { return selection; }
    CommandCollection::Opener openCollection()
    {
        return [this]() -> ModelContext & { return collection(); };
    }
    // Makes every later write of this kind fail as a full disk would, e.g. "INSERT ON ReviewEvent".
    void refuseWrites(const QString &operationOnTable)
    {
        static int triggers = 0;
        container.database().execute(QStringLiteral("CREATE TRIGGER refuse%1 BEFORE %2 BEGIN SELECT RAISE(ABORT, "
                                                    "'database or disk is full'); END")
                                         .arg(++triggers)
                                         .arg(operationOnTable));
    }
    // A saved item with the given dates, as if saved and reviewed earlier.
    std::shared_ptr<LearningItem> addItem(const QString &text, LearningItemType type, const QDateTime &createdAt,
                                          const QDateTime &nextReviewAt)
    {
        ModelContext &context = container.mainContext();
        auto item = context.insert(LearningItem(QUuid::createUuid(), text, type, std::nullopt, std::nullopt,
                                                std::nullopt, std::nullopt, QStringLiteral("### 释义\n- ") + text,
                                                {text + QStringLiteral(" example.")}, {}, Familiarity::new_,
                                                createdAt, createdAt, std::nullopt, nextReviewAt, 2.5, 0));
        context.save();
        return item;
    }

    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-keyring"));
    std::shared_ptr<InMemoryAPIKeyStore> ttsKeys = std::make_shared<InMemoryAPIKeyStore>();
    AppPreferences prefs{defaults, aiKeys, ttsKeys, BundleInfo()};
    FakeAIClient ai;
    FakeSelectionCapture selection;
    UserDefaultsLookupResultCache cache{defaults};
    NoOpSystemDictionaryClient dictionary;
    std::optional<QString> apiKeyOverride;
    UnreachableApplicationInstance instance;
    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    std::optional<QString> collectionFailure;
};
