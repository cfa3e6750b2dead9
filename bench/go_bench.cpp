// GO latency: ChooseShot in process with the physics library found as the
// engine finds it, on a position with fifteen stones in play.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "game_state.h"
#include "shot_selection.h"
#include "simulator.h"

namespace {

void PlaceFifteenStones()
{
    static const float stones[15][2] = {
        {2.375f, 4.88f}, {2.10f, 5.05f}, {2.70f, 4.70f}, {2.40f, 5.60f}, {1.80f, 4.40f},
        {3.00f, 5.20f},  {2.20f, 6.40f}, {2.55f, 7.30f}, {1.50f, 5.90f}, {3.30f, 4.10f},
        {2.00f, 3.70f},  {2.90f, 6.10f}, {2.375f, 8.50f}, {1.20f, 4.90f}, {3.60f, 5.50f}};
    gameState = GameState{};
    for (int stone = 0; stone < 15; ++stone) {
        gameState.stones[stone][0] = stones[stone][0];
        gameState.stones[stone][1] = stones[stone][1];
    }
}

void BM_Go(benchmark::State &state)
{
    PlaceFifteenStones();
    gameState.shotIndex = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ChooseShot());
    }
}

BENCHMARK(BM_Go)
    ->ArgName("shot")
    ->Arg(0)
    ->Arg(4)
    ->Arg(14)
    ->Arg(15)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char **argv)
{
    if (!LoadSimulator()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
