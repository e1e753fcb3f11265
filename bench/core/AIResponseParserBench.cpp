// Parsing model answers: a typical full answer in a Markdown fence, and the object search
// through a long answer whose JSON comes after a megabyte of prose.
#include "lookup/LookupResult.h"
#include "ai/AIResponseParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

namespace {

// A full answer of about `targetBytes` of JSON: lists grow until the encoding is that long.
QByteArray answerJSON(qsizetype targetBytes)
{
    LookupResult result;
    result.selectedText = QStringLiteral("take it or leave it");
    result.itemType = LearningItemType::phrase;
    result.phonetic = QStringLiteral("/teɪk ɪt ɔːr liːv ɪt/");
    result.contextualMeaning = QStringLiteral("要么接受，要么放弃（没有商量余地）");
    result.translation = QStringLiteral("爱要不要");
    result.partOfSpeech = QStringLiteral("idiom");
    qsizetype size = 0;
    for (int i = 0; size < targetBytes; ++i) {
        result.commonMeanings.append(QStringLiteral("常见含义 %1：表示最终报价，不再让步").arg(i));
        result.examples.append(QStringLiteral("Example %1: That's my final offer, take it or leave it.").arg(i));
        result.usageNotes.append(QStringLiteral("用法提醒 %1：语气强硬，多用于谈判 \"quoted\" {braces}").arg(i));
        // Each round adds roughly 200 bytes; measuring every round would be quadratic.
        if (i % 64 == 0 || size + 400 >= targetBytes)
            size = result.toJSONData().size();
        else
            size += 200;
    }
    return result.toJSONData();
}

QByteArray chatBody(const QString &content)
{
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), content}};
    const QJsonObject choice{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message}};
    return QJsonDocument(QJsonObject{{QStringLiteral("choices"), QJsonArray{choice}}})
        .toJson(QJsonDocument::Compact);
}

QString fenced(const QByteArray &json)
{
    return QStringLiteral("```json\n") + QString::fromUtf8(json) + QStringLiteral("\n```");
}

// path 0: the three steps through the object's bytes; path 1: extractContent and the
// content decoder, which parses the object once instead of twice.
void BM_ParseFencedAnswer4KiB(benchmark::State &state)
{
    const QByteArray body = chatBody(fenced(answerJSON(4096)));
    const bool throughContent = state.range(0) == 1;
    for (auto _ : state) {
        const QString content = AIResponseParser::extractContent(body);
        LookupResult result =
            throughContent ? AIResponseParser::decodeLookupResultFromContent(content)
                           : AIResponseParser::decodeLookupResultFromJSON(AIResponseParser::normalizedJSONData(content));
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * body.size());
}
BENCHMARK(BM_ParseFencedAnswer4KiB)->ArgName("path")->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

// The answer text as the parser receives it: about 1 MiB of prose, then the fenced object.
QString proseThenObject()
{
    const QString sentence = QStringLiteral("The model explains the phrase at length before it answers; "
                                            "这句话说明了上下文。 It quotes \"words\" freely. ");
    QString content;
    while (content.toUtf8().size() < 1024 * 1024)
        content += sentence.repeated(64);
    return content + QStringLiteral("Here you go:\n") + fenced(answerJSON(4096));
}

void BM_NormalizeProseThenObject1MiB(benchmark::State &state)
{
    const QString content = proseThenObject();
    const qsizetype utf8Bytes = content.toUtf8().size();
    for (auto _ : state) {
        QByteArray json = AIResponseParser::normalizedJSONData(content);
        benchmark::DoNotOptimize(json);
    }
    state.SetBytesProcessed(state.iterations() * utf8Bytes);
}
BENCHMARK(BM_NormalizeProseThenObject1MiB)->Unit(benchmark::kMicrosecond);

// Worst case for the scan itself: the object holds the megabyte, so every code unit is
// inspected inside strings and nesting rather than skipped before the first brace.
void BM_NormalizeProseThen1MiBObject(benchmark::State &state)
{
    const QString content = QStringLiteral("Sure! Here is the explanation:\n") + fenced(answerJSON(1024 * 1024));
    const qsizetype utf8Bytes = content.toUtf8().size();
    for (auto _ : state) {
        QByteArray json = AIResponseParser::normalizedJSONData(content);
        benchmark::DoNotOptimize(json);
    }
    state.SetBytesProcessed(state.iterations() * utf8Bytes);
}
BENCHMARK(BM_NormalizeProseThen1MiBObject)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
