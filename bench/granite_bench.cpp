// granite's throughput and GO time. Simulated throws per second through the
// reentrant SimulationWithGenerator, with 1 and 2 threads each on its own
// generator, alone and inside granite's search; the two ways of judging a
// thrown position, the value network (in the search's batches) and a play-out
// of the rest of the end; and GO over the protocol with
// --think 100 at the crowded house's shots, reporting the slowest GO beside
// the mean and failing when one took over 1.5 times --think.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "bench_processes.h"
#include "fixed_positions.h"
#include "search/network_leaves.h"
#include "search/rollout.h"
#include "search/sheet.h"
#include "search/shot_search.h"
#include "search/split_mix.h"
#include "value/win_table.h"

using namespace granite::search;
using namespace granite::value;

namespace {

constexpr float HIT_POWER = 12.0f;
constexpr long long SEARCH_THROWS = 40000;
constexpr double THINK_MS = 100.0;
constexpr double GO_TIME_LIMIT = 1.5;

// Each benchmark thread throws a hit into fifteen stones on its own generator.
void ThrowsOwnGenerator(benchmark::State &run)
{
    const GameState start = bench::CrowdedHouse(15);
    ShotVector shot{};
    CreateHitShot(ShotTarget{2.375f, 6.1f, 1}, HIT_POWER, &shot);
    TessivalGenerator generator{};
    std::uint32_t seed = 1u + static_cast<std::uint32_t>(run.thread_index());
    for (auto _ : run) {
        GameState state = start;
        benchmark::DoNotOptimize(SimulationWithGenerator(&state, shot, RANDOM_ERROR, seed, &generator, -1));
        benchmark::DoNotOptimize(state);
        seed = 0;
    }
    run.SetItemsProcessed(run.iterations());
}

// granite's search at shot range(0) of the crowded house with range(1) threads
// and a fixed budget: items are simulated throws.
void SearchThrows(benchmark::State &run)
{
    const WinTable table(MEASURED_END_SCORES);
    const GameState state = Sanitized(bench::CrowdedHouse(static_cast<int>(run.range(0))));
    SearchLimits limits;
    limits.throws = SEARCH_THROWS;
    limits.threads = static_cast<int>(run.range(1));
    long long throws = 0;
    for (auto _ : run)
        throws += SearchShot(state, GameSituation{0, 7, true, 0}, table, nullptr, limits).throws;
    run.SetItemsProcessed(throws);
}

// The leaves of one search at shot range(0) of the crowded house, as the
// search sees them: items are positions judged.
constexpr int LEAF_BATCH = 16;
const GameSituation LEAF_SITUATION{0, 7, true, 0};

void LeafByNetwork(benchmark::State &run)
{
    const WinTable table(MEASURED_END_SCORES);
    const int shot = static_cast<int>(run.range(0));
    const RolloutPolicy policy = PolicyFor(table, LEAF_SITUATION, shot % 2);
    const std::vector<GameState> states(LEAF_BATCH, Sanitized(bench::CrowdedHouse(shot)));
    std::vector<double> values(LEAF_BATCH);
    for (auto _ : run) {
        JudgeByNetwork(ValueNetwork::Shipped(), HammerContext(LEAF_SITUATION), policy, states, values);
        benchmark::DoNotOptimize(values.data());
    }
    run.SetItemsProcessed(run.iterations() * LEAF_BATCH);
}

void LeafByPlayOut(benchmark::State &run)
{
    const WinTable table(MEASURED_END_SCORES);
    const int shot = static_cast<int>(run.range(0));
    const RolloutPolicy policy = PolicyFor(table, LEAF_SITUATION, shot % 2);
    const GameState start = Sanitized(bench::CrowdedHouse(shot));
    TessivalGenerator generator{};
    GameState seeding = start;  // a first throw seeds the generator
    ShotVector draw{};
    CreateShot(ShotTarget{TEE_X, TEE_Y, 0}, &draw);
    SimulationWithGenerator(&seeding, draw, RANDOM_ERROR, 7u, &generator, -1);
    SplitMix choices{7};
    for (auto _ : run) {
        GameState state = start;
        benchmark::DoNotOptimize(PlayOut(state, policy, generator, choices));
    }
    run.SetItemsProcessed(run.iterations());
}

// GO at shot range(0), judged by play-outs (range(1) 0) or by the network (1).
void GoOverProtocol(benchmark::State &run)
{
    const char *judge = run.range(1) == 0 ? "rollout" : "network";
    bench::EnginePipe engine(bench::ExecutableFolder() + "/granite",
                             {"--think", std::to_string(THINK_MS), "--eval", judge});
    if (!engine.Running() ||
        !engine.Send(bench::PositionCommands(bench::CrowdedHouse(static_cast<int>(run.range(0)))))) {
        run.SkipWithError("the granite executable did not start");
        return;
    }
    double slowest = 0.0;
    for (auto _ : run) {
        const auto start = std::chrono::steady_clock::now();
        if (!engine.Send("GO\n") || engine.Reply().rfind("BESTSHOT ", 0) != 0) {
            run.SkipWithError("the engine gave no BESTSHOT reply");
            return;
        }
        slowest = std::max(slowest,
                           std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    run.counters["slowest_ms"] = slowest;
    if (slowest > GO_TIME_LIMIT * THINK_MS)
        run.SkipWithError("a GO took over 1.5 times --think");
}

}  // namespace

BENCHMARK(ThrowsOwnGenerator)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(SearchThrows)
    ->ArgNames({"shot", "threads"})
    ->Args({4, 1})
    ->Args({4, 2})
    ->Args({14, 1})
    ->Args({14, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(LeafByNetwork)->Arg(4)->Arg(10)->Arg(14);
BENCHMARK(LeafByPlayOut)->Arg(4)->Arg(10)->Arg(14);
BENCHMARK(GoOverProtocol)
    ->ArgNames({"shot", "network"})
    ->ArgsProduct({{0, 4, 14, 15}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();

BENCHMARK_MAIN();
