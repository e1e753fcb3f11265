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
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int runWorker(const QString &path)
{
    ModelContainer container(path);
    AppNotificationCenter quiet;
    LearningItemStore store(container.mainContext(), {}, {}, quiet);
    for (int i = 0; i < 20000; ++i) {
        LookupResult result;
        result.selectedText = QStringLiteral("burst %1 %2").arg(QCoreApplication::applicationPid()).arg(i);
        store.save(result);
        const auto item = container.mainContext()
                              .fetchItems({LearningItemPredicate::typeAndNormalizedText(
                                               rawValue(result.itemType), normalizedItemText(result.selectedText)),
                                           {}})
                              .first();
        // Printed only once save() has returned: from here on the item must survive a crash.
        std::printf("saved %s\n", qPrintable(item->id.toString(QUuid::WithoutBraces)));
        std::fflush(stdout);
        store.recordReview(item, ReviewResult::good, ReviewPromptType::recallMeaning);
        std::printf("reviewed %s %lld\n", qPrintable(item->id.toString(QUuid::WithoutBraces)), item->reviewCount);
        std::fflush(stdout);
    }
    return 0;
}

// Starts a worker, lets it acknowledge `lines` writes, kills it without warning, and adds
// what it acknowledged (item id → reviews) to `acknowledged`.
bool killMidBurst(const QString &path, int lines, QHash<QString, qint64> &acknowledged)
{
    QProcess worker;
    worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    worker.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--worker"), path});
    QByteArray output;
    while (output.count('\n') < lines && worker.waitForReadyRead(30000))
        output += worker.readAllStandardOutput();
    worker.kill();
    worker.waitForFinished(10000);
    output += worker.readAllStandardOutput();
    if (output.count('\n') < lines)
        return false;
    output.truncate(output.lastIndexOf('\n') + 1); // a line cut off by the kill was never acknowledged
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 2)
            acknowledged.insert(QString::fromLatin1(fields[1]), fields.size() == 3 ? fields[2].toLongLong() : 0);
    }
    return true;
}

int check()
{
    // Beside the build rather than in /tmp, which is often a RAM disk where syncing is free.
    QTemporaryDir directory(QDir::current().filePath(QStringLiteral("crash-safety-XXXXXX")));
    const QString path = directory.filePath(QStringLiteral("Collection.sqlite3"));
    QHash<QString, qint64> acknowledged;
    int failures = 0;
    const auto fail = [&](int round, const QString &what) {
        std::fprintf(stderr, "round %d: %s\n", round, qPrintable(what));
        ++failures;
    };
    // Each worker reopens the file of the killed one: recovery from its log included.
    for (int round = 0; round < 6; ++round) {
        if (!killMidBurst(path, 100 + int(QRandomGenerator::global()->bounded(300)), acknowledged)) {
            fail(round, QStringLiteral("the worker did not run"));
            continue;
        }
        try {
            SQLiteDatabase database(path);
            const auto integrity = database.scalarText(QStringLiteral("PRAGMA integrity_check"));
            if (integrity != QStringLiteral("ok"))
                fail(round, QStringLiteral("integrity_check says ") + integrity.value_or(QString()));
            for (auto it = acknowledged.cbegin(); it != acknowledged.cend(); ++it) {
                SQLiteDatabase::Statement statement = database.statement(
                    "SELECT reviewCount, (SELECT count(*) FROM ReviewEvent WHERE itemId = ?1) FROM LearningItem WHERE id = ?1");
                statement.bind(1, it.key());
                if (!statement.step() || statement.integer(0) < it.value() || statement.integer(1) < it.value())
                    fail(round, QStringLiteral("item %1 or one of its reviews is lost").arg(it.key()));
            }
        } catch (const ModelStoreError &error) {
            fail(round, QString::fromUtf8(error.what()));
        }
    }
    std::printf("%lld acknowledged items checked; %d failures\n", static_cast<long long>(acknowledged.size()), failures);
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
