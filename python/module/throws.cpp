// Single throws as the library's C calls give them: launch vectors for a
// target, and one throw played on a copy of a position.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "arrays.h"
#include "bindings.h"
#include "process_generator.h"
#include "tessival.h"

namespace tessival_python {

namespace {

// More path points than anyone draws; keeps the buffer of a traced throw small.
constexpr int MOST_PATH_POINTS = 100000;

// The library's refusals, checked first so that its 0 return never hides a reason.
ShotTarget ReadTarget(double x, double y, const py::handle &spin)
{
    ShotTarget target{};
    target.x = CheckFinite("x", x);
    target.y = CheckFinite("y", y);
    if (!(target.y < static_cast<float>(TESSIVAL_RELEASE_Y)))
        throw py::value_error("y must lie below the release (y < " + std::to_string(TESSIVAL_RELEASE_Y) + "), not " +
                              std::to_string(y));
    target.spin = ReadSpin(spin);
    return target;
}

py::tuple CreatedShot(int usable, const ShotVector &shot)
{
    if (!usable)
        throw py::value_error("the library refused the target");
    return ShotTuple(shot);
}

// A generator the caller owns: the four xoshiro256** words, updated in place.
struct CallerGenerator {
    py::array words;
    TessivalGenerator state{};
};

std::optional<CallerGenerator> ReadGenerator(const py::object &value)
{
    if (value.is_none())
        return std::nullopt;
    CallerGenerator generator{WritableArray(value, "generator", py::dtype::of<uint64_t>(), {4})};
    const auto *words = static_cast<const uint64_t *>(generator.words.data());
    std::copy(words, words + 4, generator.state.words);
    return generator;
}

void StoreGenerator(CallerGenerator &generator)
{
    auto *words = static_cast<uint64_t *>(generator.words.mutable_data());
    std::copy(generator.state.words, generator.state.words + 4, words);
}

// Every argument of one throw, checked.
struct Throw {
    GameState state{};
    ShotVector shot{};
    float error = 0.0f;
    uint32_t seed = 0;
    int stoneIndex = -1;
    std::optional<CallerGenerator> generator;

    // Before the throw: it moves shotIndex on.
    int Delivered() const { return stoneIndex == -1 ? state.shotIndex : stoneIndex; }
};

Throw ReadThrow(const py::handle &stones, long long shotIndex, const py::handle &shot, double error, long long seed,
                const py::object &generator, long long stoneIndex)
{
    Throw thrown;
    ReadStones(stones, thrown.state.stones);
    thrown.state.shotIndex = CheckRange("shot_index", shotIndex, 0, TESSIVAL_STONE_COUNT - 1);
    thrown.shot = ReadShot(shot);
    thrown.error = CheckFinite("error", error);
    thrown.seed = CheckSeed("seed", seed);
    thrown.generator = ReadGenerator(generator);
    thrown.stoneIndex = CheckRange("stone_index", stoneIndex, -1, TESSIVAL_STONE_COUNT - 1);
    return thrown;
}

void Played(int usable)
{
    if (!usable)
        throw py::value_error("the library refused the throw");
}

py::array Simulate(const py::handle &stones, long long shotIndex, const py::handle &shot, double error, long long seed,
                   const py::object &generator, long long stoneIndex)
{
    Throw thrown = ReadThrow(stones, shotIndex, shot, error, seed, generator, stoneIndex);
    int usable = 0;
    if (!thrown.generator) {
        {
            py::gil_scoped_release unlocked;
            const std::lock_guard<std::mutex> lock(ProcessGeneratorMutex());
            usable = Simulation(&thrown.state, thrown.shot, thrown.error, thrown.seed, thrown.stoneIndex);
        }
        Played(usable);
        return StonesArray(thrown.state.stones);
    }
    {
        py::gil_scoped_release unlocked;
        usable = SimulationWithGenerator(&thrown.state, thrown.shot, thrown.error, thrown.seed,
                                         &thrown.generator->state, thrown.stoneIndex);
    }
    Played(usable);
    StoreGenerator(*thrown.generator);
    return StonesArray(thrown.state.stones);
}

FloatArray PathArray(const float (*points)[2], int length)
{
    FloatArray path({length, 2});
    std::copy(&points[0][0], &points[0][0] + 2 * length, path.mutable_data());
    return path;
}

py::tuple SimulateTrace(const py::handle &stones, long long shotIndex, const py::handle &shot, double error,
                        long long seed, const py::object &generator, long long stoneIndex, long long points)
{
    Throw thrown = ReadThrow(stones, shotIndex, shot, error, seed, generator, stoneIndex);
    const int capacity = CheckRange("points", points, 2, MOST_PATH_POINTS);
    if (!thrown.generator) {
        std::vector<float> path(2 * static_cast<std::size_t>(capacity));
        int32_t length = 0;
        int usable = 0;
        {
            py::gil_scoped_release unlocked;
            const std::lock_guard<std::mutex> lock(ProcessGeneratorMutex());
            usable = SimulationTrace(&thrown.state, thrown.shot, thrown.error, thrown.seed, thrown.stoneIndex,
                                     reinterpret_cast<float(*)[2]>(path.data()), capacity, &length);
        }
        Played(usable);
        return py::make_tuple(StonesArray(thrown.state.stones),
                              PathArray(reinterpret_cast<const float(*)[2]>(path.data()), length));
    }
    // Room for every stone's path; the delivered stone's is the one returned.
    std::vector<float> paths(2 * static_cast<std::size_t>(capacity) * TESSIVAL_STONE_COUNT);
    const int delivered = thrown.Delivered();
    TessivalTrace trace{};
    trace.capacity = capacity;
    trace.points = reinterpret_cast<float(*)[2]>(paths.data());
    int usable = 0;
    {
        py::gil_scoped_release unlocked;
        usable = SimulationTraceWithGenerator(&thrown.state, thrown.shot, thrown.error, thrown.seed,
                                              &thrown.generator->state, thrown.stoneIndex, &trace);
    }
    Played(usable);
    StoreGenerator(*thrown.generator);
    return py::make_tuple(
        StonesArray(thrown.state.stones),
        PathArray(trace.points + static_cast<std::ptrdiff_t>(delivered) * capacity, trace.stones[delivered].length));
}

// A generator seeded as a non-zero seed seeds the library's: a throw with no
// error takes no draw, so the words that come out are the seeded state itself.
py::array_t<uint64_t> NewGenerator(long long seed)
{
    const uint32_t reseed = CheckSeed("seed", seed);
    if (reseed == 0)
        throw py::value_error("seed must be from 1 to " + std::to_string(UINT32_MAX) + ", not 0");
    ShotVector draw{};
    Played(CreateShot(ShotTarget{static_cast<float>(TESSIVAL_TEE_X), static_cast<float>(TESSIVAL_TEE_Y), 0}, &draw));
    GameState empty{};
    TessivalGenerator generator{};
    Played(SimulationWithGenerator(&empty, draw, 0.0f, reseed, &generator, -1));
    py::array_t<uint64_t> words(4);
    std::copy(generator.words, generator.words + 4, words.mutable_data());
    return words;
}

}  // namespace

void BindThrows(py::module_ &module)
{
    module.def(
        "create_shot",
        [](double x, double y, const py::handle &spin) {
            ShotVector shot{};
            const int usable = CreateShot(ReadTarget(x, y, spin), &shot);
            return CreatedShot(usable, shot);
        },
        py::arg("x"), py::arg("y"), py::arg("spin"),
        "The draw to (x, y) in metres: the shot (vx, vy, spin), vx and vy the launch velocity in m/s\n"
        "from the release, whose run without error and without other stones rests exactly at (x, y).\n"
        "spin is 0 (curls toward smaller x) or 1. ValueError for a non-finite x or y, y at or behind\n"
        "the release (RELEASE_Y) or another spin.");
    module.def(
        "create_hit_shot",
        [](double x, double y, const py::handle &spin, double power) {
            const ShotTarget target = ReadTarget(x, y, spin);
            const float passing = CheckFinite("power", power);
            if (passing < 0.0f)
                throw py::value_error("power must not be negative, not " + std::to_string(power));
            ShotVector shot{};
            const int usable = CreateHitShot(target, passing, &shot);
            return CreatedShot(usable, shot);
        },
        py::arg("x"), py::arg("y"), py::arg("spin"), py::arg("power") = 12.0,
        "The hit through (x, y) in metres: the shot (vx, vy, spin) whose free run passes (x, y) still\n"
        "moving fast enough to run `power` more metres (12, the engines' hit, is about 1.39 m/s there;\n"
        "0 gives create_shot's draw). ValueError as create_shot, and for a negative or non-finite power.");
    module.def("simulate", &Simulate, py::arg("stones"), py::arg("shot_index"), py::arg("shot"), py::arg("error") = 0.0,
               py::arg("seed") = 0, py::kw_only(), py::arg("generator") = py::none(), py::arg("stone_index") = -1,
               "Plays shot (vx, vy, spin) on a copy of stones, a (16, 2) float32 array in metres ((0, 0) out\n"
               "of play), and returns the position after the throw as a new (16, 2) float32 array.\n"
               "shot_index (0 to 15) is the stone thrown unless stone_index (0 to 15, -1 for none) names\n"
               "another. error is the thrower's accuracy in metres (0 or less: none). seed: 0 continues the\n"
               "generator, 1 to 2^32 - 1 reseeds it first. Without generator the throw draws from the\n"
               "process's generator; with generator (a uint64 array of shape (4,), the xoshiro256** words)\n"
               "from that one, which receives the state after the throw. Seed S on the process's generator\n"
               "and seed S on any generator give the same throw.");
    module.def("simulate_trace", &SimulateTrace, py::arg("stones"), py::arg("shot_index"), py::arg("shot"),
               py::arg("error") = 0.0, py::arg("seed") = 0, py::kw_only(), py::arg("generator") = py::none(),
               py::arg("stone_index") = -1, py::arg("points") = 64,
               "simulate, returning (stones, path): path the thrown stone's float32 (points, 2) positions\n"
               "in metres at equal times from the release to where it came to rest or left the sheet.\n"
               "points: 2 to 100000.");
    module.def("new_generator", &NewGenerator, py::arg("seed"),
               "A generator for simulate and simulate_batch: a uint64 array of shape (4,) in the state a\n"
               "non-zero seed (1 to 2^32 - 1) puts the library's generator in, so that throws with seed 0\n"
               "on it continue as from a first throw with that seed. A zero array passed with seed S on\n"
               "its first throw does the same.");
}

}  // namespace tessival_python
