// The collection at the size of a long-time learner's: 100,000 items, 1,000 of them due.

#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kItemCount = 100000;
constexpr int kDueCount = 1000;

struct Collection {
    Collection()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QString explanation = QStringLiteral("### 释义\n\n**语境义**\n\n") + QString(400, QChar(0x4E49))
            + QStringLiteral("\n\n### 例句\n\n- An example sentence that shows the word in use.");
        ModelContext &context = container.mainContext();
        for (int i = 0; i < kItemCount; ++i) {
            // Every 100th item is due; the rest come up over the next month.
            const bool due = i % (kItemCount / kDueCount) == 0;
            const QDateTime created = now.addSecs(-qint64(kItemCount - i) * 60);
            const QDateTime next = due ? now.addSecs(-(i % 7200)) : now.addSecs(3600 + (i % 2592000));
            context.insert(LearningItem(QUuid::createUuid(), QStringLiteral("word %1").arg(i), LearningItemType::word,
                                        std::nullopt, std::nullopt, std::nullopt, std::nullopt, explanation,
                                        {QStringLiteral("An example.")}, {}, Familiarity::new_, created, created,
                                        std::nullopt, next, 2.5, 0));
        }
        context.save();
    }

    LearningItemStore store() { return LearningItemStore(container.mainContext(), {}, {}, notifications); }

    QTemporaryDir directory{QDir::current().filePath(QStringLiteral("store-bench-XXXXXX"))};
    ModelContainer container{directory.filePath(QStringLiteral("Collection.sqlite3"))};
    AppNotificationCenter notifications;
};

Collection &collection()
{
    static Collection shared;
    return shared;
}

LookupResult result(const QString &text)
{
    LookupResult lookup;
    lookup.selectedText = text;
    lookup.itemType = LearningItemType::word;
    lookup.contextualMeaning = QStringLiteral("意思");
    return lookup;
}

void BM_ContainsSaved(benchmark::State &state)
{
    LearningItemStore store = collection().store();
    const LookupResult saved = result(QStringLiteral("  Word 51234\n"));
    for (auto _ : state)
        benchmark::DoNotOptimize(store.contains(saved));
}
BENCHMARK(BM_ContainsSaved)->Unit(benchmark::kMicrosecond);

void BM_ContainsUnsaved(benchmark::State &state)
{
    LearningItemStore store = collection().store();
    const LookupResult unsaved = result(QStringLiteral("never saved"));
    for (auto _ : state)
        benchmark::DoNotOptimize(store.contains(unsaved));
}
BENCHMARK(BM_ContainsUnsaved)->Unit(benchmark::kMicrosecond);

// Includes the synchronous commit to disk.
void BM_SaveOneResult(benchmark::State &state)
{
    LearningItemStore store = collection().store();
    // Across repetitions too: a text saved before would only measure the duplicate check.
    static int serial = 0;
    for (auto _ : state)
        store.save(result(QStringLiteral("fresh %1").arg(serial++)));
}
BENCHMARK(BM_SaveOneResult)->Unit(benchmark::kMicrosecond);

void BM_AllItems(benchmark::State &state)
{
    LearningItemStore store = collection().store();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.allItems());
}
BENCHMARK(BM_AllItems)->Unit(benchmark::kMillisecond);

void BM_DueItems(benchmark::State &state)
{
    LearningItemStore store = collection().store();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state) {
        const auto due = store.dueItems(now);
        if (due.size() != kDueCount)
            state.SkipWithError("unexpected number of due items");
        benchmark::DoNotOptimize(due);
    }
}
BENCHMARK(BM_DueItems)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
