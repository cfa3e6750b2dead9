// SimulationWithGenerator plays as Simulation does, drawing from the caller's generator only.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "throw_fixture.h"

namespace {

GameState Crowded()
{
    GameState state = EmptyState(12);
    for (int k = 0; k < 12; ++k)
        Place(state, k, 1.4f + 0.17f * static_cast<float>(k), 4.2f + 0.41f * static_cast<float>(k % 4));
    return state;
}

const ShotVector SHOTS[] = {Draw(2.375f, 4.88f, 0), Hit(2.2f, 4.6f, 1, 12.0f), Draw(1.9f, 6.1f, 1)};

// Three throws in a row, the first seeded, on the process's generator or on one of the caller's.
std::vector<GameState> PlayedInRow(TessivalGenerator *generator)
{
    std::vector<GameState> results;
    GameState state = Crowded();
    std::uint32_t seed = 77;
    for (const ShotVector &shot : SHOTS) {
        state.shotIndex = 12;
        const int result = generator != nullptr ? SimulationWithGenerator(&state, shot, 0.145f, seed, generator, -1)
                                                : Simulation(&state, shot, 0.145f, seed, -1);
        EXPECT_EQ(result, 1);
        results.push_back(state);
        seed = 0;
    }
    return results;
}

TEST(SimulationWithGenerator, PlaysAsSimulationAndLeavesTheProcessGeneratorAlone)
{
    const std::vector<GameState> onProcess = PlayedInRow(nullptr);
    GameState next = Crowded();
    Simulation(&next, SHOTS[0], 0.145f, 0, -1);

    TessivalGenerator generator{};
    const std::vector<GameState> onCaller = PlayedInRow(&generator);
    PlayedInRow(nullptr);
    GameState nextAfterCaller = Crowded();
    Simulation(&nextAfterCaller, SHOTS[0], 0.145f, 0, -1);

    for (std::size_t k = 0; k < onProcess.size(); ++k)
        EXPECT_TRUE(SameBytes(onProcess[k], onCaller[k])) << k;
    EXPECT_TRUE(SameBytes(next, nextAfterCaller));
}

TEST(SimulationWithGenerator, UnusableArgumentsWriteNothing)
{
    GameState state = Crowded();
    const GameState before = state;
    TessivalGenerator generator{{1, 2, 3, 4}};
    EXPECT_EQ(SimulationWithGenerator(&state, SHOTS[0], 0.145f, 0, nullptr, -1), 0);
    EXPECT_EQ(SimulationWithGenerator(nullptr, SHOTS[0], 0.145f, 5, &generator, -1), 0);
    EXPECT_EQ(SimulationWithGenerator(&state, SHOTS[0], 0.145f, 5, &generator, 16), 0);
    EXPECT_EQ(SimulationWithGenerator(&state, ShotVector{NAN, -2.0f, 0}, 0.145f, 5, &generator, -1), 0);
    EXPECT_TRUE(SameBytes(state, before));
    EXPECT_EQ(generator.words[0], 1u);
    EXPECT_EQ(generator.words[3], 4u);
}

// Threads each with their own generator get what one thread gets throwing alone.
TEST(SimulationWithGenerator, ThreadsWithOwnGeneratorsAgreeWithOneThread)
{
    constexpr int THREADS = 4;
    constexpr int THROWS = 200;
    auto play = [](int worker, GameState *last) {
        TessivalGenerator generator{};
        for (int n = 0; n < THROWS; ++n) {
            GameState state = Crowded();
            SimulationWithGenerator(&state, SHOTS[n % 3], 0.145f,
                                    n == 0 ? 100u + static_cast<std::uint32_t>(worker) : 0u, &generator, -1);
            *last = state;
        }
    };
    std::vector<GameState> alone(THREADS), together(THREADS);
    for (int w = 0; w < THREADS; ++w)
        play(w, &alone[static_cast<std::size_t>(w)]);
    std::vector<std::thread> workers;
    for (int w = 0; w < THREADS; ++w)
        workers.emplace_back(play, w, &together[static_cast<std::size_t>(w)]);
    for (std::thread &worker : workers)
        worker.join();
    for (int w = 0; w < THREADS; ++w)
        EXPECT_TRUE(SameBytes(alone[static_cast<std::size_t>(w)], together[static_cast<std::size_t>(w)])) << w;
}

}  // namespace
