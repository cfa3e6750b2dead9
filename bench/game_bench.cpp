// Whole games of pebble against pebble through pebble-match: eight ends and
// any extra ones, every GO over the protocol and every throw in the runner.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_processes.h"

namespace {

// Games per run of the throughput benchmark: enough for a pair of games
// per engine slot to overlap at concurrency 2 and beyond.
constexpr int BATCH = 8;

bool PlayQuietly(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), bench::ExecutableFolder() + "/pebble-match");
    return bench::RunQuietly(arguments) == 0;
}

void FullGame(benchmark::State &run)
{
    for (auto _ : run) {
        if (!PlayQuietly({"--ends", "8", "--seed", "2026"})) {
            run.SkipWithError("pebble-match did not finish the game");
            return;
        }
    }
}

// A batch of games at the concurrency given as the argument.
void MatchThroughput(benchmark::State &run)
{
    const auto concurrency = run.range(0);
    std::vector<std::string> arguments = {"--ends", "8", "--seed", "2026", "--games", std::to_string(BATCH)};
    // Without the option the runner plays one game at a time; a runner without
    // --concurrency fails at 2 and the run reports the error.
    if (concurrency > 1)
        arguments.insert(arguments.end(), {"--concurrency", std::to_string(concurrency)});
    for (auto _ : run) {
        if (!PlayQuietly(arguments)) {
            run.SkipWithError("pebble-match did not finish the games");
            return;
        }
    }
    run.counters["games_per_second"] = benchmark::Counter(BATCH, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

// The engines and the runner are child processes: real time is the measure.
BENCHMARK(FullGame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(MatchThroughput)
    ->ArgName("concurrency")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

BENCHMARK_MAIN();
