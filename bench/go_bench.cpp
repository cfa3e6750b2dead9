// GO latency at fixed positions with fifteen stones in play: in process
// (ChooseShot against the physics library, found as the engine finds it) and
// over the protocol (the pebble executable beside this one, through pipes).
#include <benchmark/benchmark.h>

#include <string>

#include "bench_processes.h"
#include "fixed_positions.h"
#include "game_state.h"
#include "shot_selection.h"
#include "simulator.h"

namespace {

void GoInProcess(benchmark::State &run)
{
    gameState = bench::CrowdedHouse(static_cast<int>(run.range(0)));
    for (auto _ : run) {
        benchmark::DoNotOptimize(ChooseShot());
    }
}

// The engine runs in a process of its own: the CPU column counts only this
// side of the pipes, so the real time is the measure.
void GoOverProtocol(benchmark::State &run)
{
    bench::EnginePipe engine(bench::ExecutableFolder() + "/pebble");
    if (!engine.Running() ||
        !engine.Send(bench::PositionCommands(bench::CrowdedHouse(static_cast<int>(run.range(0)))))) {
        run.SkipWithError("the pebble executable did not start");
        return;
    }
    for (auto _ : run) {
        if (!engine.Send("GO\n") || engine.Reply().rfind("BESTSHOT ", 0) != 0) {
            run.SkipWithError("the engine gave no BESTSHOT reply");
            return;
        }
    }
}

void AtMeasuredShots(benchmark::internal::Benchmark *benchmark)
{
    benchmark->ArgName("shot")->Unit(benchmark::kMicrosecond);
    for (const int shot : bench::MEASURED_SHOTS) {
        benchmark->Arg(shot);
    }
}

}  // namespace

BENCHMARK(GoInProcess)->Apply(AtMeasuredShots);
BENCHMARK(GoOverProtocol)->Apply(AtMeasuredShots)->UseRealTime();

int main(int argc, char **argv)
{
    if (!LoadSimulator()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
