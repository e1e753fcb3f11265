// How long the collection window takes to open over a collection of 10,000 items: reading the
// whole collection from the database, listing it and drawing the first screen.

#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"
#include "views/collection/CollectionListModel.h"
#include "views/collection/CollectionWindow.h"

#include <QApplication>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kItemCount = 10000;

struct Collection {
    Collection()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QString explanation = QStringLiteral("### 释义\n\n**语境义**\n- ") + QString(200, QChar(0x4E49))
            + QStringLiteral("\n\n### 例句\n\n- An example sentence that shows the word in use.");
        ModelContext &context = container.mainContext();
        for (int i = 0; i < kItemCount; ++i) {
            const QDateTime created = now.addSecs(-qint64(kItemCount - i) * 60);
            context.insert(LearningItem(QUuid::createUuid(), QStringLiteral("word %1").arg(i),
                                        i % 3 == 0 ? LearningItemType::phrase : LearningItemType::word, std::nullopt,
                                        std::nullopt, std::nullopt, std::nullopt, explanation,
                                        {QStringLiteral("An example.")}, {}, Familiarity::new_, created, created,
                                        std::nullopt, created.addDays(1), 2.5, 0));
        }
        context.save();
    }

    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    AppNotificationCenter notifications;
};

Collection &collection()
{
    static Collection shared;
    return shared;
}

// Opening: build the window, show it (which reads the collection) and draw it once.
void BM_OpenCollectionWindow(benchmark::State &state)
{
    Collection &shared = collection();
    for (auto _ : state) {
        CollectionWindow window(CollectionWindow::storeFactory(shared.container.mainContext(), shared.notifications),
                                CollectionExportAction(), shared.notifications);
        window.show();
        window.grab();
        if (window.listModel()->rowCount() != kItemCount) {
            state.SkipWithError("the collection did not load");
        }
    }
}
BENCHMARK(BM_OpenCollectionWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

// A reload of the open window, as after "collectionDidChange".
void BM_ReloadCollectionWindow(benchmark::State &state)
{
    Collection &shared = collection();
    CollectionWindow window(CollectionWindow::storeFactory(shared.container.mainContext(), shared.notifications),
                            CollectionExportAction(), shared.notifications);
    window.show();
    for (auto _ : state) {
        shared.notifications.post(AppNotification::collectionDidChange);
        window.grab();
    }
}
BENCHMARK(BM_ReloadCollectionWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
