// Many throws in one call: every argument checked up front, then the throws
// played on threads with Python's lock released, each on its own generator
// through the library's reentrant call.
#include <algorithm>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "arrays.h"
#include "bindings.h"
#include "tessival.h"

namespace tessival_python {

namespace {

// More threads than any machine this runs on has cores for; beyond it a count is a mistake.
constexpr int MOST_THREADS = 256;
constexpr py::ssize_t STONE_FLOATS = 2 * TESSIVAL_STONE_COUNT;

[[noreturn]] void Refuse(const std::string &message)
{
    throw py::value_error(message);
}

// What is wrong with one number of a per-throw argument, or "" when nothing.
using Fault = std::string (*)(double value);

// value as count float64 numbers: a scalar (when allowed) stands for every
// throw; the array's dtype must be of one of kinds ('b', 'i', 'u', 'f'). A
// number with a fault is named by its index, a scalar by the argument alone.
std::vector<double> PerThrow(const py::handle &value, const char *name, const std::string &kinds, py::ssize_t count,
                             bool scalar, Fault fault)
{
    const auto array = py::array::ensure(value);
    if (!array || kinds.find(array.dtype().kind()) == std::string::npos)
        throw py::type_error(std::string(name) + " must hold " + (kinds == "iu" ? "integers" : "numbers") +
                             (array ? ", not " + Text(array.dtype()) : std::string()));
    if (scalar && array.ndim() == 0) {
        const auto number = array.cast<double>();
        if (const std::string wrong = fault(number); !wrong.empty())
            Refuse(std::string(name) + wrong);
        return std::vector<double>(static_cast<std::size_t>(count), number);
    }
    if (array.ndim() != 1 || array.shape(0) != count)
        Refuse(std::string(name) + " must have shape (" + std::to_string(count) + ",)" +
               (scalar ? " or be a number" : "") + ", not " + ShapeText(array));
    const auto numbers = py::array_t<double, py::array::forcecast>::ensure(array);
    std::vector<double> values(numbers.data(), numbers.data() + count);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (const std::string wrong = fault(values[i]); !wrong.empty())
            Refuse(std::string(name) + "[" + std::to_string(i) + "]" + wrong);
    }
    return values;
}

std::string ShotIndexFault(double index)
{
    if (index >= 0 && index < TESSIVAL_STONE_COUNT)
        return "";
    return " must be from 0 to 15, not " + std::to_string(static_cast<long long>(index));
}

std::string SpinFault(double spin)
{
    return spin == 0.0 || spin == 1.0 ? "" : " must be 0 or 1, not " + Text(py::float_(spin));
}

std::string ErrorFault(double error)
{
    return std::isfinite(static_cast<float>(error)) ? "" : " must be finite, not " + std::to_string(error);
}

std::string SeedFault(double seed)
{
    if (seed >= 0 && seed <= UINT32_MAX)
        return "";
    return " must be from 0 to " + std::to_string(UINT32_MAX) + ", not " + std::to_string(static_cast<long long>(seed));
}

// values converted to T, each already checked to fit.
template <typename T>
std::vector<T> Converted(const std::vector<double> &values)
{
    std::vector<T> converted(values.size());
    std::transform(values.begin(), values.end(), converted.begin(), [](double value) { return static_cast<T>(value); });
    return converted;
}

// Every throw's inputs, checked, in plain buffers the threads read without Python.
struct Batch {
    py::ssize_t count = 0;
    FloatArray stonesArray;
    py::ssize_t stonesStride = 0;  // floats from one throw's position to the next: 0 when one serves all
    FloatArray vectorsArray;
    std::vector<int32_t> shotIndices;
    std::vector<uint8_t> spins;
    std::vector<float> errors;
    std::vector<uint32_t> seeds;
    py::array generatorsArray;
    TessivalGenerator *generators = nullptr;  // the caller's rows, or null: a fresh one per throw
    py::array outArray;
    float *out = nullptr;
};

void ReadStonesAndVectors(Batch &batch, const py::handle &stones, const py::handle &vectors)
{
    batch.vectorsArray = FloatsOf(vectors, "vectors", "(B, 2)");
    if (batch.vectorsArray.ndim() != 2 || batch.vectorsArray.shape(1) != 2)
        Refuse("vectors must have shape (B, 2), not " + ShapeText(batch.vectorsArray));
    CheckAllFinite(batch.vectorsArray, "vectors");
    batch.count = batch.vectorsArray.shape(0);
    batch.stonesArray = FloatsOf(stones, "stones", "(B, 16, 2) or (16, 2)");
    const FloatArray &given = batch.stonesArray;
    const bool one = given.ndim() == 2 && given.shape(0) == TESSIVAL_STONE_COUNT && given.shape(1) == 2;
    const bool each = given.ndim() == 3 && given.shape(0) == batch.count && given.shape(1) == TESSIVAL_STONE_COUNT &&
                      given.shape(2) == 2;
    if (!one && !each)
        Refuse("stones must have shape (" + std::to_string(batch.count) + ", 16, 2) or (16, 2), not " +
               ShapeText(given));
    CheckAllFinite(given, "stones");
    batch.stonesStride = each ? STONE_FLOATS : 0;
}

void ReadPerThrow(Batch &batch, const py::handle &shotIndex, const py::handle &spins, const py::handle &errors,
                  const py::handle &seeds)
{
    const py::ssize_t count = batch.count;
    batch.shotIndices = Converted<int32_t>(PerThrow(shotIndex, "shot_index", "iu", count, true, ShotIndexFault));
    batch.spins = Converted<uint8_t>(PerThrow(spins, "spins", "biuf", count, false, SpinFault));
    batch.errors = Converted<float>(PerThrow(errors, "errors", "biuf", count, true, ErrorFault));
    batch.seeds = Converted<uint32_t>(PerThrow(seeds, "seeds", "iu", count, false, SeedFault));
}

void ReadGeneratorsAndOut(Batch &batch, const py::object &generators, const py::object &out)
{
    if (!generators.is_none()) {
        batch.generatorsArray = WritableArray(generators, "generators", py::dtype::of<uint64_t>(), {batch.count, 4});
        batch.generators = static_cast<TessivalGenerator *>(batch.generatorsArray.mutable_data());
    } else {
        const auto continued = std::find(batch.seeds.begin(), batch.seeds.end(), 0u);
        if (continued != batch.seeds.end())
            Refuse("seeds[" + std::to_string(continued - batch.seeds.begin()) +
                   "] is 0, which continues that throw's generator: pass generators, or a non-zero seed");
    }
    if (out.is_none())
        batch.outArray = FloatArray({batch.count, py::ssize_t{TESSIVAL_STONE_COUNT}, py::ssize_t{2}});
    else
        batch.outArray = WritableArray(out, "out", py::dtype::of<float>(), {batch.count, TESSIVAL_STONE_COUNT, 2});
    batch.out = static_cast<float *>(batch.outArray.mutable_data());
}

// Plays throws first to last - 1; returns the first the library refused, or batch.count.
py::ssize_t PlayRange(const Batch &batch, py::ssize_t first, py::ssize_t last)
{
    const float *stones = batch.stonesArray.data();
    const float *vectors = batch.vectorsArray.data();
    py::ssize_t refused = batch.count;
    for (py::ssize_t i = first; i < last; ++i) {
        GameState state{};
        std::copy(stones + i * batch.stonesStride, stones + i * batch.stonesStride + STONE_FLOATS, &state.stones[0][0]);
        state.shotIndex = batch.shotIndices[i];
        const ShotVector shot{vectors[2 * i], vectors[2 * i + 1], batch.spins[i]};
        TessivalGenerator fresh{};
        TessivalGenerator *generator = batch.generators ? batch.generators + i : &fresh;
        if (!SimulationWithGenerator(&state, shot, batch.errors[i], batch.seeds[i], generator, -1)) {
            refused = std::min(refused, i);
            continue;
        }
        std::copy(&state.stones[0][0], &state.stones[0][0] + STONE_FLOATS, batch.out + i * STONE_FLOATS);
    }
    return refused;
}

// Contiguous chunks, one per thread and never more than throws; the calling
// thread plays the first.
py::ssize_t PlayAll(const Batch &batch, int threads)
{
    const py::ssize_t chunks = std::min<py::ssize_t>(threads, std::max<py::ssize_t>(batch.count, 1));
    const auto bound = [&](py::ssize_t chunk) { return batch.count * chunk / chunks; };
    std::vector<py::ssize_t> refused(static_cast<std::size_t>(chunks), batch.count);
    {
        std::vector<std::jthread> workers;
        for (py::ssize_t chunk = 1; chunk < chunks; ++chunk)
            workers.emplace_back([&, chunk] { refused[chunk] = PlayRange(batch, bound(chunk), bound(chunk + 1)); });
        refused[0] = PlayRange(batch, 0, bound(1));
    }
    return *std::min_element(refused.begin(), refused.end());
}

py::array SimulateBatch(const py::handle &stones, const py::handle &shotIndex, const py::handle &vectors,
                        const py::handle &spins, const py::handle &errors, const py::handle &seeds, long long threads,
                        const py::object &generators, const py::object &out)
{
    Batch batch;
    ReadStonesAndVectors(batch, stones, vectors);
    ReadPerThrow(batch, shotIndex, spins, errors, seeds);
    const int used = CheckRange("threads", threads, 1, MOST_THREADS);
    ReadGeneratorsAndOut(batch, generators, out);
    py::ssize_t refused = batch.count;
    {
        py::gil_scoped_release unlocked;
        refused = PlayAll(batch, used);
    }
    if (refused < batch.count)
        Refuse("the library refused throw " + std::to_string(refused));
    return batch.outArray;
}

}  // namespace

void BindBatch(py::module_ &module)
{
    module.def("simulate_batch", &SimulateBatch, py::arg("stones"), py::arg("shot_index"), py::arg("vectors"),
               py::arg("spins"), py::arg("errors"), py::arg("seeds"), py::kw_only(), py::arg("threads") = 1,
               py::arg("generators") = py::none(), py::arg("out") = py::none(),
               "Plays B throws, each as simulate would, and returns their positions after the throw as\n"
               "out, a (B, 16, 2) float32 array (allocated unless given: C-contiguous, writable).\n"
               "stones: (B, 16, 2), or (16, 2) for every throw, in metres. shot_index: the stone thrown,\n"
               "0 to 15, a number or (B,). vectors: (B, 2) launch velocities in m/s. spins: (B,) of 0 or 1.\n"
               "errors: the accuracy in metres, a number or (B,). seeds: (B,) of 0 to 2^32 - 1; throw i\n"
               "reseeds its generator with a non-zero seeds[i], or continues generators[i] for 0.\n"
               "generators: None (each throw a fresh generator, every seed then non-zero) or (B, 4) uint64,\n"
               "row i the generator of throw i, updated in place. threads: 1 to 256; the throws are split\n"
               "into that many contiguous runs played at once, without Python's lock. The result does not\n"
               "depend on threads: throw i comes out as simulate(stones[i], shot_index[i], (vectors[i],\n"
               "spins[i]), errors[i], seeds[i], generator=generators[i]) would give it.");
}

}  // namespace tessival_python
