#pragma once

#include "ai/AIClient.h"
#include "app/cli/ApplicationInstanceConnecting.h"
#include "app/cli/CommandLineInterface.h"
#include "app/cli/CommandServices.h"
#include "capture/SelectedTextCapturing.h"
#include "daily/UserDefaultsDailyRecommendationCache.h"
#include "export/LearningItemExportItem.h"
#include "lookup/UserDefaultsLookupResultCache.h"
#include "platform/dbus/DBusSingleInstanceService.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "preferences/LaunchAtLogin.h"
#include "storage/ModelContainer.h"
#include "storage/ModelStoreError.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/fakes/FakeDailyRecommendationGenerator.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

// What one command run ended with and printed.
struct CommandRun {
    int exitCode;
    QString out, err;
};

// The whole world of a command in memory, scripted by the test: preferences, keys and cache
// over one user defaults; a collection database that can refuse to open or to write; an AI
// service that answers with canned results or throws `aiFailure`; a selection; the session's
// tray application. `run` is the program over these services, as main runs it over the real ones.
class CommandTest : public ::testing::Test,
                    public CommandServices,
                    AIClient,
                    SelectedTextCapturing,
                    ApplicationInstanceConnecting {
protected:
    struct AICall {
        QString text;
        LearningItemType itemType;
        QString apiKey;
    };

    CommandRun run(const QStringList &arguments, const QByteArray &input = {})
    {
        FILE *in = std::tmpfile();
        std::fwrite(input.constData(), 1, static_cast<size_t>(input.size()), in);
        std::rewind(in);
        char *printed[2] = {};
        size_t sizes[2] = {};
        FILE *out = open_memstream(&printed[0], &sizes[0]), *err = open_memstream(&printed[1], &sizes[1]);
        const int exitCode = waitForTask(CommandLineInterface(CommandIO{in, out, err}, *this).run(arguments));
        for (FILE *file : {in, out, err})
            std::fclose(file);
        const CommandRun result{exitCode, QString::fromUtf8(printed[0], sizes[0]), QString::fromUtf8(printed[1], sizes[1])};
        std::free(printed[0]);
        std::free(printed[1]);
        return result;
    }

    // Makes every later write of this kind fail as a full disk would, e.g. "INSERT ON ReviewEvent".
    void refuseWrites(const QString &operationOnTable)
    {
        container.database().execute(
            QStringLiteral("CREATE TRIGGER refuse BEFORE %1 BEGIN SELECT RAISE(ABORT, 'disk is full'); END").arg(operationOnTable));
    }

    // A saved item with the given dates, as if saved and reviewed earlier.
    std::shared_ptr<LearningItem> addItem(const QString &text, LearningItemType type, const QDateTime &createdAt,
                                          const QDateTime &nextReviewAt)
    {
        auto item = container.mainContext().insert(LearningItem(
            QUuid::createUuid(), text, type, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
            QStringLiteral("### 释义\n- ") + text, {text + QStringLiteral(" example.")}, {}, Familiarity::new_,
            createdAt, createdAt, std::nullopt, nextReviewAt, 2.5, 0));
        container.mainContext().save();
        return item;
    }

    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-keyring"));
    AppPreferences prefs{defaults, aiKeys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo()};
    QTemporaryDir configHome;
    LaunchAtLogin launchAtLoginEntry{defaults, configHome.filePath("autostart"), "/usr/bin/rarozezev"};
    UserDefaultsLookupResultCache cache{defaults};
    FakeDailyRecommendationGenerator dailyGenerator;
    UserDefaultsDailyRecommendationCache dailyCache{defaults};
    FakeSystemDictionary dictionary;
    std::optional<QString> apiKeyOverride;
    AppNotificationCenter notifications;
    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    std::optional<QString> collectionFailure;
    LookupResult fullResult;
    std::function<void()> aiFailure;
    QList<AICall> aiCalls;
    std::function<void()> captureFailure;
    int captures = 0;
    bool appReachable = true, appRunning = true, appStarts = true, appComesUp = true;
    std::optional<DBusSingleInstanceService::RequestError> openFailure;
    int appStartCount = 0;
    QStringList openRequests;
    QStringList changedPreferences;

private:
    AppPreferencesStoring &preferences() override { return prefs; }
    LaunchAtLogin &launchAtLogin() override { return launchAtLoginEntry; }
    AIClient &aiClient() override { return *this; }
    LookupResultCaching &lookupResultCache() override { return cache; }
    const SystemDictionaryLookingUp &systemDictionary() override { return dictionary; }
    std::optional<QString> aiAPIKeyOverride() override { return apiKeyOverride; }
    DailyRecommendationGenerating &dailyRecommendationGenerator() override { return dailyGenerator; }
    DailyRecommendationCaching &dailyRecommendationCache() override { return dailyCache; }
    ApplicationInstanceConnecting &applicationInstance() override { return *this; }
    UserDefaultsReminderRequestStore reminderRequests() override { return UserDefaultsReminderRequestStore(defaults); }
    PronunciationPlaybackController::Services pronunciationServices(std::optional<QString>) override { return {}; }
    QCoro::Task<DesktopCheck::Report> checkDesktop(bool, bool) override { co_return DesktopCheck::Report{}; }
    SelectedTextCapturing &selectionCaptureService() override { return *this; }
    LearningItemStore collection() override
    {
        if (collectionFailure)
            throw ModelStoreError(*collectionFailure);
        return LearningItemStore(container.mainContext(), notifications);
    }

    QCoro::Task<LookupResult> lookup(QString text, std::optional<QString>, std::optional<QString>,
                                     LearningItemType itemType, UserSettings settings, CancellationToken) override
    {
        co_return answer(text, itemType, settings, fullResult);
    }
    QCoro::Task<FastLookupResult> fastLookup(QString text, std::optional<QString>, std::optional<QString>,
                                             LearningItemType itemType, UserSettings settings, CancellationToken) override
    {
        co_return answer(text, itemType, settings, FastLookupResult{});
    }
    template <typename Result>
    Result answer(const QString &text, LearningItemType itemType, const UserSettings &settings, const Result &result)
    {
        aiCalls.append({text, itemType, settings.apiKey});
        if (aiFailure)
            aiFailure();
        return result;
    }

    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken) override
    {
        ++captures;
        if (captureFailure)
            captureFailure();
        co_return QString();
    }

    bool isReachable() override { return appReachable; }
    bool isRunning() override { return appRunning; }
    bool startApplication() override { return ++appStartCount, appStarts; }
    QCoro::Task<bool> waitUntilRunning(std::chrono::milliseconds) override { co_return appRunning = appComesUp; }
    QCoro::Task<std::optional<QString>> notifyPreferenceChanged(QString key) override
    {
        changedPreferences.append(key);
        co_return std::nullopt;
    }
    QCoro::Task<void> requestOpen(QString what) override
    {
        openRequests.append(what);
        if (openFailure)
            throw *openFailure;
        co_return;
    }
    QCoro::Task<void> requestSelectionLookup() override { return requestOpen(QStringLiteral("<selection>")); }
};
