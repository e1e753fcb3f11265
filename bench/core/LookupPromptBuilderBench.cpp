// Building the two prompts of a lookup, with and without surrounding text.
#include "ai/LookupPromptBuilder.h"

#include <benchmark/benchmark.h>

namespace {

void BM_FullPrompt(benchmark::State &state)
{
    const QString before = QStringLiteral("When the seller named his price he added, ").repeated(state.range(0));
    for (auto _ : state) {
        QString prompt = LookupPromptBuilder::prompt(QStringLiteral("take it or leave it"), before,
                                                     QStringLiteral(" and walked away."), LearningItemType::phrase,
                                                     QStringLiteral("british"));
        benchmark::DoNotOptimize(prompt);
    }
}
BENCHMARK(BM_FullPrompt)->Arg(0)->Arg(50);

void BM_FastPrompt(benchmark::State &state)
{
    for (auto _ : state) {
        QString prompt = LookupPromptBuilder::fastPrompt(QStringLiteral("serendipity"), std::nullopt, std::nullopt,
                                                         LearningItemType::word);
        benchmark::DoNotOptimize(prompt);
    }
}
BENCHMARK(BM_FastPrompt);

} // namespace

BENCHMARK_MAIN();
