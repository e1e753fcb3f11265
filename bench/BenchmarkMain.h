#pragma once

#include <benchmark/benchmark.h>

// Runs the registered benchmarks inside `Application`: the event loop, and the platform where
// the measured code needs one. Qt keeps a reference to `argc`.
template <typename Application>
int runBenchmarks(int &argc, char **argv)
{
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
