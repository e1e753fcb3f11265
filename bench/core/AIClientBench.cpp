// What a lookup costs on our side of the wire: building the request, parsing and decoding
// the answer and caching the result, over a transport that answers at once; and cache reads
// and writes in a durable preferences file that already holds 10,000 entries.
#include "preferences/InMemoryUserDefaults.h"
#include "ai/OpenAICompatibleAIClient.h"
#include "preferences/SQLiteUserDefaults.h"
#include "lookup/UserDefaultsLookupResultCache.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

namespace {

constexpr int cachedEntries = 10000;

LookupResult sampleResult(const QString &selectedText)
{
    LookupResult result;
    result.selectedText = selectedText;
    result.itemType = LearningItemType::phrase;
    result.phonetic = QStringLiteral("/teɪk ɪt ɔːr liːv ɪt/");
    result.contextualMeaning = QStringLiteral("要么接受，要么放弃（没有商量余地）");
    result.commonMeanings = {QStringLiteral("要么接受，要么放弃"), QStringLiteral("爱要不要")};
    result.partOfSpeech = QStringLiteral("idiom");
    result.collocations = {QStringLiteral("take it or leave it offer")};
    result.examples = {QStringLiteral("That's my final offer, take it or leave it."),
                       QStringLiteral("The price is fixed: take it or leave it.")};
    result.translation = QStringLiteral("要么接受，要么拉倒");
    result.usageNotes = {QStringLiteral("语气强硬，多用于谈判或讨价还价的最后阶段。")};
    result.suggestedExpressions = {QStringLiteral("This is my best offer."), QStringLiteral("It's non-negotiable.")};
    return result;
}

QByteArray chatBody(const QString &content)
{
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), content}};
    const QJsonObject choice{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message}};
    return QJsonDocument(QJsonObject{{QStringLiteral("choices"), QJsonArray{choice}}})
        .toJson(QJsonDocument::Compact);
}

// Answers every request at once with the same body, without touching the event loop.
class InstantTransport : public HTTPTransport {
public:
    explicit InstantTransport(QByteArray body) : m_body(std::move(body)) {}

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken) override
    {
        benchmark::DoNotOptimize(request.body.data());
        co_return HTTPResponse{m_body, 200};
    }

private:
    QByteArray m_body;
};

// Nothing in the chain suspends, so the lookup has finished when this returns.
QCoro::Task<> runLookup(AIClient &client, const UserSettings &settings, std::optional<LookupResult> &result)
{
    result = co_await client.lookup(QStringLiteral("take it or leave it"), QStringLiteral("I told him:"),
                                    QStringLiteral("That was the end of it."), LearningItemType::phrase, settings);
}

void BM_LookupOverheadWithInstantTransport(benchmark::State &state)
{
    const QString content = QStringLiteral("```json\n") + QString::fromUtf8(sampleResult({}).toJSONData())
                            + QStringLiteral("\n```");
    OpenAICompatibleAIClient client(std::make_shared<InstantTransport>(chatBody(content)));
    UserSettings settings;
    settings.apiKey = QStringLiteral("sk-bench-0123456789");
    settings.aiModel = QStringLiteral("gpt-4o-mini");
    settings.baseURL = QStringLiteral("https://api.example.com/v1/chat/completions");
    InMemoryUserDefaults defaults;
    UserDefaultsLookupResultCache cache(defaults);

    for (auto _ : state) {
        std::optional<LookupResult> result;
        runLookup(client, settings, result);
        if (!result) {
            state.SkipWithError("the lookup suspended");
            break;
        }
        result->selectedText = QStringLiteral("take it or leave it");
        cache.store(*result);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_LookupOverheadWithInstantTransport)->Unit(benchmark::kMicrosecond);

// One preferences file filled once for all cache benchmarks; filling costs a synced write
// per entry.
struct FilledStore {
    QTemporaryDir directory;
    std::unique_ptr<SQLiteUserDefaults> defaults;
    std::unique_ptr<UserDefaultsLookupResultCache> cache;

    FilledStore()
    {
        defaults = std::make_unique<SQLiteUserDefaults>(directory.filePath(QStringLiteral("UserDefaults.sqlite3")));
        cache = std::make_unique<UserDefaultsLookupResultCache>(*defaults);
        for (int i = 0; i < cachedEntries; ++i)
            cache->store(sampleResult(QStringLiteral("phrase number %1").arg(i)));
    }

    static FilledStore &shared()
    {
        static FilledStore store;
        return store;
    }
};

void BM_CacheHitIn10000Entries(benchmark::State &state)
{
    UserDefaultsLookupResultCache &cache = *FilledStore::shared().cache;
    int i = 0;
    for (auto _ : state) {
        auto result = cache.cachedResult(QStringLiteral("Phrase Number %1").arg(i), LearningItemType::phrase);
        if (!result) {
            state.SkipWithError("a stored entry was missing");
            break;
        }
        benchmark::DoNotOptimize(result);
        i = (i + 7919) % cachedEntries;
    }
}
BENCHMARK(BM_CacheHitIn10000Entries)->Unit(benchmark::kMicrosecond);

void BM_CacheMissIn10000Entries(benchmark::State &state)
{
    UserDefaultsLookupResultCache &cache = *FilledStore::shared().cache;
    for (auto _ : state)
        benchmark::DoNotOptimize(cache.cachedResult(QStringLiteral("never looked up"), LearningItemType::phrase));
}
BENCHMARK(BM_CacheMissIn10000Entries)->Unit(benchmark::kMicrosecond);

// Replaces existing entries, so the file keeps its 10,000; every write is synced to disk.
void BM_CacheStoreIn10000Entries(benchmark::State &state)
{
    UserDefaultsLookupResultCache &cache = *FilledStore::shared().cache;
    int i = 0;
    for (auto _ : state) {
        cache.store(sampleResult(QStringLiteral("phrase number %1").arg(i)));
        i = (i + 7919) % cachedEntries;
    }
}
BENCHMARK(BM_CacheStoreIn10000Entries)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
