// Throughput of the tessival calls, beside the fixed-step reference
// integration of the same equations in the same run.
#include <benchmark/benchmark.h>

#include <string>

#include "reference_integrator.h"
#include "tessival.h"

namespace {

// Fifteen stones in and around the house, the sixteenth to be thrown.
constexpr float HOUSE[15][2] = {{2.0f, 4.5f}, {2.7f, 5.2f}, {2.375f, 6.1f}, {1.6f, 4.9f}, {3.1f, 4.4f},
                                {2.4f, 3.7f}, {1.9f, 5.9f}, {2.9f, 6.3f},   {1.4f, 7.5f}, {3.5f, 5.5f},
                                {1.2f, 5.3f}, {3.9f, 9.0f}, {3.7f, 3.9f},   {1.3f, 3.6f}, {0.9f, 8.2f}};

// The engine's hits and draws: HIT_POWER 12 and random error 0.145.
constexpr float HIT_POWER = 12.0f;
constexpr float ENGINE_ERROR = 0.145f;

GameState Position(bool withHouse)
{
    GameState state{};
    state.shotIndex = 15;
    if (withHouse) {
        for (int stone = 0; stone < 15; ++stone) {
            state.stones[stone][0] = HOUSE[stone][0];
            state.stones[stone][1] = HOUSE[stone][1];
        }
    }
    return state;
}

ShotVector DrawToTee()
{
    ShotVector shot{};
    CreateShot(ShotTarget{2.375f, 4.88f, 0}, &shot);
    return shot;
}

ShotVector HitOnCentreStone()
{
    ShotVector shot{};
    CreateHitShot(ShotTarget{2.375f, 6.1f, 1}, HIT_POWER, &shot);
    return shot;
}

struct Throw {
    const char *name;
    bool withHouse;
    ShotVector (*shot)();
};

const Throw THROWS[] = {{"DrawOnEmptySheet", false, DrawToTee},
                        {"HitIntoFifteenStones", true, HitOnCentreStone},
                        {"DrawIntoFifteenStones", true, DrawToTee}};

void Library(benchmark::State &run, const Throw &thrown, float randomError)
{
    const GameState start = Position(thrown.withHouse);
    const ShotVector shot = thrown.shot();
    for (auto _ : run) {
        GameState state = start;
        benchmark::DoNotOptimize(Simulation(&state, shot, randomError, 0, -1));
        benchmark::DoNotOptimize(state);
    }
    run.SetItemsProcessed(run.iterations());
}

void Reference(benchmark::State &run, const Throw &thrown)
{
    const GameState start = Position(thrown.withHouse);
    const ShotVector shot = thrown.shot();
    for (auto _ : run) {
        benchmark::DoNotOptimize(reference::Throw(start, shot, 15));
    }
    run.SetItemsProcessed(run.iterations());
}

void MakeDraw(benchmark::State &run)
{
    ShotVector shot{};
    for (auto _ : run) {
        benchmark::DoNotOptimize(CreateShot(ShotTarget{2.1f, 5.3f, 1}, &shot));
    }
    run.SetItemsProcessed(run.iterations());
}

void MakeHit(benchmark::State &run)
{
    ShotVector shot{};
    for (auto _ : run) {
        benchmark::DoNotOptimize(CreateHitShot(ShotTarget{2.1f, 5.3f, 1}, HIT_POWER, &shot));
    }
    run.SetItemsProcessed(run.iterations());
}

// Names pair each throw with its reference: Simulation/X, Simulation/XWithError
// and Reference/X.
void RegisterThrows()
{
    for (const Throw &thrown : THROWS) {
        const std::string name = thrown.name;
        benchmark::RegisterBenchmark(("Simulation/" + name).c_str(), Library, thrown, 0.0f);
        benchmark::RegisterBenchmark(("Simulation/" + name + "WithError").c_str(), Library, thrown, ENGINE_ERROR);
    }
    for (const Throw &thrown : THROWS) {
        benchmark::RegisterBenchmark(("Reference/" + std::string(thrown.name)).c_str(), Reference, thrown)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("CreateShot", MakeDraw);
    benchmark::RegisterBenchmark("CreateHitShot", MakeHit);
}

}  // namespace

int main(int argc, char **argv)
{
    RegisterThrows();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
