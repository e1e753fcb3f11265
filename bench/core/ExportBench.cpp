// Export of a large collection: JSON, XLSX, and the CRC-32 beside zlib's.
#include "collection/LearningItem.h"
#include "export/CRC32.h"
#include "export/LearningItemExporter.h"

#include <QDateTime>
#include <QTimeZone>

#include <benchmark/benchmark.h>
#include <zlib.h>

static constexpr int kItemCount = 100'000;

// Items shaped like real saves: a short text, a few hundred characters of mixed Chinese
// and English explanation, two examples, and a review history on every other item.
static const QList<std::shared_ptr<LearningItem>> &collection()
{
    static const QList<std::shared_ptr<LearningItem>> items = [] {
        QList<std::shared_ptr<LearningItem>> result;
        result.reserve(kItemCount);
        const QDateTime base(QDate(2025, 3, 1), QTime(12, 0), QTimeZone::utc());
        const QString explanation = QStringLiteral(
            "### 释义\n\n**词性**\n\nnoun\n\n**语境含义**\n\n- 在这段文字里指意外发现有价值事物的运气。\n"
            "- the faculty of making fortunate discoveries by accident\n\n### 常见搭配\n\n- by pure serendipity\n"
            "- a moment of serendipity\n\n### 用法说明\n\n- 多用于书面语，带有积极色彩 & 常与 \"pure\" 连用。");
        for (int i = 0; i < kItemCount; ++i) {
            const QDateTime created = base.addSecs(i * 37);
            auto item = std::make_shared<LearningItem>(
                QUuid::createUuid(), QStringLiteral("serendipity %1").arg(i), LearningItemType::word,
                i % 2 ? std::optional<QString>(QStringLiteral("Reader")) : std::nullopt, std::nullopt, std::nullopt,
                std::nullopt, explanation,
                QStringList{QStringLiteral("It was pure serendipity that we met."),
                            QStringLiteral("Serendipity led her to the <old> bookshop.")},
                QStringList{}, Familiarity::learning, created, created.addDays(1),
                i % 2 ? std::optional<QDateTime>(created.addDays(1)) : std::nullopt, created.addDays(3), 2.5, 1);
            item->reviewCount = i % 7;
            result.append(std::move(item));
        }
        return result;
    }();
    return items;
}

static void BM_JSONExport(benchmark::State &state)
{
    const auto &items = collection();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray data = LearningItemExporter::jsonData(items, now);
        size = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.counters["items"] = double(items.size());
    state.counters["MB"] = double(size) / 1e6;
}
BENCHMARK(BM_JSONExport)->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_XLSXExport(benchmark::State &state)
{
    const auto &items = collection();
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray data = LearningItemExporter::xlsxData(items);
        size = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.counters["items"] = double(items.size());
    state.counters["MB"] = double(size) / 1e6;
}
BENCHMARK(BM_XLSXExport)->Unit(benchmark::kMillisecond)->Iterations(3);

static const QByteArray &checksumBuffer()
{
    static const QByteArray buffer = [] {
        QByteArray bytes(64 << 20, Qt::Uninitialized);
        quint32 x = 0x12345678;
        for (char &byte : bytes) {
            x = x * 1664525U + 1013904223U;
            byte = char(x >> 24);
        }
        return bytes;
    }();
    return buffer;
}

static void BM_CRC32(benchmark::State &state)
{
    const QByteArray &buffer = checksumBuffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(CRC32::checksum(buffer));
    state.SetBytesProcessed(state.iterations() * buffer.size());
}
BENCHMARK(BM_CRC32)->Unit(benchmark::kMillisecond);

static void BM_ZlibCRC32(benchmark::State &state)
{
    const QByteArray &buffer = checksumBuffer();
    if (crc32(0, reinterpret_cast<const Bytef *>(buffer.constData()), uInt(buffer.size()))
        != CRC32::checksum(buffer)) {
        state.SkipWithError("checksums disagree");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, reinterpret_cast<const Bytef *>(buffer.constData()), uInt(buffer.size())));
    state.SetBytesProcessed(state.iterations() * buffer.size());
}
BENCHMARK(BM_ZlibCRC32)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
