// The physics library's promise to threaded callers: shot making in any
// thread, SimulationWithGenerator on the caller's own generator in any thread,
// and Simulation on the process's generator in one thread, all at once, give
// what each gives alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "tessival.h"

namespace {

constexpr int THROWS = 60;
constexpr float ERROR_SIGMA = 0.145f;

// Eleven stones in and around the house, the twelfth to be thrown.
GameState HouseOfEleven()
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = 11;
    for (int k = 0; k < 11; ++k) {
        state.stones[k][0] = 1.5f + 0.16f * static_cast<float>(k);
        state.stones[k][1] = 4.0f + 0.45f * static_cast<float>(k % 4);
    }
    return state;
}

// Throw n: a draw or a hit, both spins, aimed across the house.
ShotVector Shot(int n)
{
    const ShotTarget target{1.6f + 0.05f * static_cast<float>(n % 30), 4.2f + 0.1f * static_cast<float>(n % 7),
                            static_cast<std::uint8_t>(n % 2)};
    ShotVector shot{};
    const int made =
        n % 3 == 0 ? CreateHitShot(target, 6.0f + static_cast<float>(n % 5), &shot) : CreateShot(target, &shot);
    EXPECT_EQ(made, 1) << "throw " << n;
    return shot;
}

// Every resting position of a run of throws, in order, as bytes.
using Outcomes = std::vector<unsigned char>;

void Keep(Outcomes &outcomes, const GameState &state)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(&state);
    outcomes.insert(outcomes.end(), bytes, bytes + sizeof state);
}

// firstSeed seeds the first throw; the rest continue the stream.
Outcomes ThrowWithOwnGenerator(std::uint32_t firstSeed)
{
    Outcomes outcomes;
    TessivalGenerator generator{};
    for (int n = 0; n < THROWS; ++n) {
        GameState state = HouseOfEleven();
        EXPECT_EQ(SimulationWithGenerator(&state, Shot(n), ERROR_SIGMA, n == 0 ? firstSeed : 0u, &generator, -1), 1);
        Keep(outcomes, state);
    }
    return outcomes;
}

Outcomes ThrowWithProcessGenerator(std::uint32_t firstSeed)
{
    Outcomes outcomes;
    for (int n = 0; n < THROWS; ++n) {
        GameState state = HouseOfEleven();
        EXPECT_EQ(Simulation(&state, Shot(n), ERROR_SIGMA, n == 0 ? firstSeed : 0u, -1), 1);
        Keep(outcomes, state);
    }
    return outcomes;
}

TEST(ConcurrentLibraryCalls, ThreadsGiveWhatEachCallerGetsAlone)
{
    const std::vector<std::function<Outcomes()>> callers = {
        [] { return ThrowWithOwnGenerator(101); },
        [] { return ThrowWithOwnGenerator(202); },
        [] { return ThrowWithProcessGenerator(303); },
    };
    std::vector<Outcomes> alone;
    for (const auto &caller : callers)
        alone.push_back(caller());

    std::vector<Outcomes> together(callers.size());
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < callers.size(); ++k)
        threads.emplace_back([&, k] { together[k] = callers[k](); });
    together[0] = callers[0]();
    for (std::thread &thread : threads)
        thread.join();

    for (std::size_t k = 0; k < callers.size(); ++k)
        EXPECT_TRUE(together[k] == alone[k]) << "caller " << k;
    EXPECT_FALSE(alone[0] == alone[1]) << "distinct seeds give distinct throws";
}

}  // namespace
