// Throughput of the tessival calls beside the fixed-step reference integration
// of the same equations.
#include <benchmark/benchmark.h>

#include <cstring>

#include "reference_integrator.h"
#include "tessival.h"

namespace {

constexpr float HOUSE[15][2] = {{2.0f, 4.5f}, {2.7f, 5.2f}, {2.375f, 6.1f}, {1.6f, 4.9f}, {3.1f, 4.4f},
                                {2.4f, 3.7f}, {1.9f, 5.9f}, {2.9f, 6.3f}, {1.4f, 7.5f}, {3.5f, 5.5f},
                                {1.2f, 5.3f}, {3.9f, 9.0f}, {3.7f, 3.9f}, {1.3f, 3.6f}, {0.9f, 8.2f}};

GameState Position(bool withHouse) {
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = 15;
    if (withHouse) std::memcpy(state.stones, HOUSE, sizeof HOUSE);
    return state;
}

ShotVector DrawToTee() {
    ShotVector shot{};
    CreateShot(ShotTarget{2.375f, 4.88f, 0}, &shot);
    return shot;
}

ShotVector HitOnCentreStone() {
    ShotVector shot{};
    CreateHitShot(ShotTarget{2.375f, 6.1f, 1}, 12.0f, &shot);
    return shot;
}

void Library(benchmark::State &run, bool withHouse, ShotVector shot) {
    const GameState start = Position(withHouse);
    for (auto _ : run) {
        GameState state = start;
        benchmark::DoNotOptimize(Simulation(&state, shot, 0.0f, 0, -1));
        benchmark::DoNotOptimize(state);
    }
}

void Reference(benchmark::State &run, bool withHouse, ShotVector shot) {
    const GameState start = Position(withHouse);
    for (auto _ : run) benchmark::DoNotOptimize(reference::Throw(start, shot, 15));
}

void DrawOnEmptySheet(benchmark::State &run) { Library(run, false, DrawToTee()); }
void HitIntoFifteenStones(benchmark::State &run) { Library(run, true, HitOnCentreStone()); }
void DrawIntoFifteenStones(benchmark::State &run) { Library(run, true, DrawToTee()); }
void ReferenceDrawOnEmptySheet(benchmark::State &run) { Reference(run, false, DrawToTee()); }
void ReferenceHitIntoFifteenStones(benchmark::State &run) { Reference(run, true, HitOnCentreStone()); }
void ReferenceDrawIntoFifteenStones(benchmark::State &run) { Reference(run, true, DrawToTee()); }

// The engine's throw: random error on every call.
void HitIntoFifteenStonesWithError(benchmark::State &run) {
    const GameState start = Position(true);
    const ShotVector shot = HitOnCentreStone();
    for (auto _ : run) {
        GameState state = start;
        benchmark::DoNotOptimize(Simulation(&state, shot, 0.145f, 0, -1));
        benchmark::DoNotOptimize(state);
    }
}

void MakeDraw(benchmark::State &run) {
    ShotVector shot{};
    for (auto _ : run) benchmark::DoNotOptimize(CreateShot(ShotTarget{2.1f, 5.3f, 1}, &shot));
}

void MakeHit(benchmark::State &run) {
    ShotVector shot{};
    for (auto _ : run) benchmark::DoNotOptimize(CreateHitShot(ShotTarget{2.1f, 5.3f, 1}, 12.0f, &shot));
}

}  // namespace

BENCHMARK(DrawOnEmptySheet);
BENCHMARK(HitIntoFifteenStones);
BENCHMARK(DrawIntoFifteenStones);
BENCHMARK(HitIntoFifteenStonesWithError);
BENCHMARK(ReferenceDrawOnEmptySheet)->Unit(benchmark::kMillisecond);
BENCHMARK(ReferenceHitIntoFifteenStones)->Unit(benchmark::kMillisecond);
BENCHMARK(ReferenceDrawIntoFifteenStones)->Unit(benchmark::kMillisecond);
BENCHMARK(MakeDraw);
BENCHMARK(MakeHit);

BENCHMARK_MAIN();
