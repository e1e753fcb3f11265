// Kills a process in the middle of a burst of saves and reviews, then checks that the
// database file is intact and holds everything the process was told had been saved.
//
//   crash_safety_test                  runs the check (several kill rounds on one file)
//   crash_safety_test --worker FILE    the process that gets killed

#include "foundation/AppEnvironment.h"
#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"
#include "storage/ModelStoreError.h"
#include "foundation/TextNormalization.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kRounds = 6;
constexpr int kWorkerIterations = 20000;

int runWorker(const QString &path)
{
    ModelContainer container(path);
    ModelContext &context = container.mainContext();
    AppNotificationCenter quiet;
    LearningItemStore store(context, {}, {}, quiet);
    const QString prefix = QStringLiteral("burst %1 ").arg(QCoreApplication::applicationPid());
    for (int i = 0; i < kWorkerIterations; ++i) {
        LookupResult result;
        result.selectedText = prefix + QString::number(i);
        result.itemType = LearningItemType::phrase;
        result.contextualMeaning = QStringLiteral("意思");
        store.save(result);
        const auto items = context.fetchItems(
            {LearningItemPredicate::typeAndNormalizedText(QStringLiteral("phrase"), normalizedItemText(result.selectedText)),
             {}});
        const auto &item = items.first();
        // Printed only once save() has returned: from here on the item must survive a crash.
        std::printf("saved %s\n", qPrintable(item->id.toString(QUuid::WithoutBraces)));
        std::fflush(stdout);
        store.recordReview(item, ReviewResult::good, ReviewPromptType::recallMeaning);
        std::printf("reviewed %s %lld\n", qPrintable(item->id.toString(QUuid::WithoutBraces)),
                    static_cast<long long>(item->reviewCount));
        std::fflush(stdout);
    }
    return 0;
}

struct Acknowledged {
    QStringList savedIds;
    QHash<QString, qint64> reviewCounts;
};

// Starts a worker, lets it acknowledge `lines` writes, then kills it without warning.
bool killMidBurst(const QString &path, int lines, Acknowledged &acknowledged)
{
    QProcess worker;
    worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    worker.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--worker"), path});
    if (!worker.waitForStarted(10000)) {
        std::fprintf(stderr, "worker did not start: %s\n", qPrintable(worker.errorString()));
        return false;
    }
    QByteArray output;
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + 30000;
    while (output.count('\n') < lines && QDateTime::currentMSecsSinceEpoch() < deadline
           && worker.state() == QProcess::Running) {
        worker.waitForReadyRead(200);
        output += worker.readAllStandardOutput();
    }
    worker.kill();
    worker.waitForFinished(10000);
    output += worker.readAllStandardOutput();
    if (output.count('\n') < lines) {
        std::fprintf(stderr, "worker acknowledged only %lld writes\n", static_cast<long long>(output.count('\n')));
        return false;
    }
    // A line cut off by the kill was never acknowledged.
    output.truncate(output.lastIndexOf('\n') + 1);
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2 && fields[0] == "saved")
            acknowledged.savedIds.append(QString::fromLatin1(fields[1]));
        else if (fields.size() == 3 && fields[0] == "reviewed")
            acknowledged.reviewCounts.insert(QString::fromLatin1(fields[1]), fields[2].toLongLong());
    }
    return true;
}

int check()
{
    // Beside the build rather than in /tmp, which is often a RAM disk where syncing is free.
    QTemporaryDir directory(QDir::current().filePath(QStringLiteral("crash-safety-XXXXXX")));
    const QString path = directory.filePath(QStringLiteral("Collection.sqlite3"));
    Acknowledged acknowledged;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        const int lines = 100 + int(QRandomGenerator::global()->bounded(300));
        if (!killMidBurst(path, lines, acknowledged)) {
            ++failures;
            continue;
        }
        try {
            SQLiteDatabase database(path);
            const QString integrity = database.scalarText(QStringLiteral("PRAGMA integrity_check")).value_or(QString());
            if (integrity != QLatin1String("ok")) {
                std::fprintf(stderr, "round %d: integrity_check says %s\n", round, qPrintable(integrity));
                ++failures;
            }
            for (const QString &id : std::as_const(acknowledged.savedIds)) {
                SQLiteDatabase::Statement statement =
                    database.statement("SELECT reviewCount, (SELECT count(*) FROM ReviewEvent WHERE itemId = ?1) "
                                       "FROM LearningItem WHERE id = ?1");
                statement.bind(1, id);
                if (!statement.step()) {
                    std::fprintf(stderr, "round %d: acknowledged item %s is missing\n", round, qPrintable(id));
                    ++failures;
                    continue;
                }
                const qint64 reviews = acknowledged.reviewCounts.value(id, 0);
                if (statement.integer(0) < reviews || statement.integer(1) < reviews) {
                    std::fprintf(stderr, "round %d: item %s lost an acknowledged review\n", round, qPrintable(id));
                    ++failures;
                }
            }
        } catch (const ModelStoreError &error) {
            std::fprintf(stderr, "round %d: %s\n", round, error.what());
            ++failures;
        }
        // The next worker reopens the same file: recovery from the killed one's log included.
    }
    std::printf("%lld acknowledged items checked over %d kills\n",
                static_cast<long long>(acknowledged.savedIds.size()), kRounds);
    std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--worker"))
        return runWorker(arguments[2]);
    return check();
}
