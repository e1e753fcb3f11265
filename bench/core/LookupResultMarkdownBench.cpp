// Rendering results as sections and Markdown, as saving and copying an explanation do.
#include "lookup/LookupResult.h"
#include "lookup/MarkdownExplanationParser.h"

#include <benchmark/benchmark.h>

namespace {

LookupResult richResult()
{
    LookupResult result;
    result.selectedText = QStringLiteral("run");
    result.phonetic = QStringLiteral("/rʌn/");
    result.contextualMeaning = QStringLiteral("经营；管理");
    result.commonMeanings = {QStringLiteral("跑"), QStringLiteral("运行"), QStringLiteral("流动")};
    result.partOfSpeech = QStringLiteral("verb");
    result.collocations = {QStringLiteral("run a business"), QStringLiteral("run out of")};
    result.examples = {QStringLiteral("She runs a small bakery."), QStringLiteral("The tap is running.")};
    result.translation = QStringLiteral("她经营一家小面包店。");
    result.usageNotes = {QStringLiteral("及物用法表示“经营”")};
    result.suggestedExpressions = {QStringLiteral("manage"), QStringLiteral("operate")};
    return result;
}

void BM_MarkdownExplanationAI(benchmark::State &state)
{
    const LookupResult result = richResult();
    for (auto _ : state) {
        QString text = result.markdownExplanation();
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_MarkdownExplanationAI);

void BM_MarkdownExplanationDictionary(benchmark::State &state)
{
    LookupResult result;
    result.selectedText = QStringLiteral("run");
    result.source = LookupResultSource::systemDictionary;
    result.contextualMeaning = QStringLiteral("run | rʌn, rʌn | verb ① move at a speed faster than a walk "
                                              "② move about in a hurried way ③ pass or cause to pass quickly\n"
                                              "noun ④ an act or spell of running ⑤ a journey or route");
    for (auto _ : state) {
        QString text = result.markdownExplanation();
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_MarkdownExplanationDictionary);

// What saving and then reviewing an item costs: write the explanation, read it back.
void BM_MarkdownExplanationRoundTrip(benchmark::State &state)
{
    const LookupResult result = richResult();
    for (auto _ : state) {
        auto sections = MarkdownExplanationParser::parse(result.markdownExplanation());
        benchmark::DoNotOptimize(sections);
    }
}
BENCHMARK(BM_MarkdownExplanationRoundTrip);

} // namespace

BENCHMARK_MAIN();
