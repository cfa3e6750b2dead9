// A whole game of pebble against pebble through pebble-match: eight ends and
// any extra ones, every GO over the protocol and every throw in the runner.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_processes.h"

namespace {

void FullGame(benchmark::State &run)
{
    const std::string runner = ExecutableFolder() + "/pebble-match";
    for (auto _ : run) {
        if (RunQuietly({runner, "--ends", "8", "--seed", "2026"}) != 0) {
            run.SkipWithError("pebble-match did not finish the game");
            return;
        }
    }
}

}  // namespace

// The engines and the runner are child processes: real time is the measure.
BENCHMARK(FullGame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
