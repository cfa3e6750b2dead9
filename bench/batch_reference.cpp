// The C++ side of bench/python_batch.py: the same throws as the Python
// module's simulate_batch, played by SimulationWithGenerator in a plain loop,
// split into contiguous runs on threads as simulate_batch splits them.
//
// The input file (little-endian, written by the script) holds, for B throws:
// int64 B, then float32 stones (B, 16, 2), int32 shot indices (B), float32
// vectors (B, 2), uint8 spins (B), float32 errors (B), uint32 seeds (B, each
// non-zero: a fresh generator per throw). Prints one line, "seconds S": the
// best time of one pass over every throw, the least disturbed by other work. --out writes the positions after
// the throws as float32 (B, 16, 2).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "tessival.h"

namespace {

struct Throws {
    std::int64_t count = 0;
    std::vector<float> stones;
    std::vector<std::int32_t> shotIndices;
    std::vector<float> vectors;
    std::vector<std::uint8_t> spins;
    std::vector<float> errors;
    std::vector<std::uint32_t> seeds;
};

template <typename T>
bool ReadArray(std::ifstream &input, std::vector<T> &values, std::int64_t count)
{
    values.resize(static_cast<std::size_t>(count));
    input.read(reinterpret_cast<char *>(values.data()), static_cast<std::streamsize>(count * sizeof(T)));
    return static_cast<bool>(input);
}

bool ReadThrows(const std::string &path, Throws &throws)
{
    std::ifstream input(path, std::ios::binary);
    input.read(reinterpret_cast<char *>(&throws.count), sizeof throws.count);
    if (!input || throws.count < 0)
        return false;
    const std::int64_t count = throws.count;
    return ReadArray(input, throws.stones, 32 * count) && ReadArray(input, throws.shotIndices, count) &&
           ReadArray(input, throws.vectors, 2 * count) && ReadArray(input, throws.spins, count) &&
           ReadArray(input, throws.errors, count) && ReadArray(input, throws.seeds, count);
}

void PlayRange(const Throws &throws, std::int64_t first, std::int64_t last, float *out)
{
    for (std::int64_t i = first; i < last; ++i) {
        GameState state{};
        std::copy_n(throws.stones.data() + 32 * i, 32, &state.stones[0][0]);
        state.shotIndex = throws.shotIndices[static_cast<std::size_t>(i)];
        const ShotVector shot{throws.vectors[static_cast<std::size_t>(2 * i)],
                              throws.vectors[static_cast<std::size_t>(2 * i + 1)],
                              throws.spins[static_cast<std::size_t>(i)]};
        TessivalGenerator generator{};
        SimulationWithGenerator(&state, shot, throws.errors[static_cast<std::size_t>(i)],
                                throws.seeds[static_cast<std::size_t>(i)], &generator, -1);
        std::copy_n(&state.stones[0][0], 32, out + 32 * i);
    }
}

// One pass over every throw in seconds; the calling thread plays the first run.
double TimedPass(const Throws &throws, int threads, float *out)
{
    const auto chunks =
        static_cast<std::int64_t>(std::min<std::int64_t>(threads, std::max<std::int64_t>(throws.count, 1)));
    const auto bound = [&](std::int64_t chunk) { return throws.count * chunk / chunks; };
    const auto start = std::chrono::steady_clock::now();
    {
        std::vector<std::jthread> workers;
        for (std::int64_t chunk = 1; chunk < chunks; ++chunk)
            workers.emplace_back([&, chunk] { PlayRange(throws, bound(chunk), bound(chunk + 1), out); });
        PlayRange(throws, 0, bound(1), out);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv)
{
    std::string inputPath;
    std::string outPath;
    int threads = 1;
    int repeats = 1;
    CLI::App app{"Plays the throws of a file written by bench/python_batch.py and times one pass over them"};
    app.add_option("input", inputPath, "the throws")->required();
    app.add_option("--threads", threads, "threads playing the throws")->check(CLI::Range(1, 256));
    app.add_option("--repeats", repeats, "passes timed; the best is printed")->check(CLI::Range(1, 1000000));
    app.add_option("--out", outPath, "file for the positions after the throws");
    CLI11_PARSE(app, argc, argv);

    Throws throws;
    if (!ReadThrows(inputPath, throws)) {
        std::cerr << "batch_reference: cannot read the throws of " << inputPath << "\n";
        return 1;
    }
    std::vector<float> out(static_cast<std::size_t>(32 * throws.count));
    std::vector<double> seconds;
    for (int pass = 0; pass < repeats; ++pass)
        seconds.push_back(TimedPass(throws, threads, out.data()));
    std::printf("seconds %.9f\n", *std::min_element(seconds.begin(), seconds.end()));
    if (!outPath.empty()) {
        std::ofstream file(outPath, std::ios::binary);
        file.write(reinterpret_cast<const char *>(out.data()),
                   static_cast<std::streamsize>(out.size() * sizeof(float)));
        if (!file) {
            std::cerr << "batch_reference: cannot write " << outPath << "\n";
            return 1;
        }
    }
    return 0;
}
