// The pool of concurrent games when a game fails.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "run/game_pool.h"

using namespace match::game;
using namespace match::run;
using namespace match::schedule;

namespace {

// Game 1 is in flight until abandoned; game 2 fails once game 1 is under way.
TEST(ConcurrentGamePoolFailure, AbandonsTheGamesInFlightAndBeginsNoOther)
{
    std::vector<ScheduledGame> games(4);
    for (std::size_t k = 0; k < games.size(); ++k)
        games[k].number = static_cast<int>(k) + 1;
    std::atomic<bool> firstUnderWay{false};
    std::atomic<int> abandoned{0};
    std::atomic<int> begun{0};
    std::atomic<int> finished{0};
    auto play = [&](const ScheduledGame &game) -> GameRecord {
        ++begun;
        if (game.number == 1) {
            firstUnderWay = true;
            while (abandoned == 0)
                std::this_thread::yield();
            throw std::runtime_error("abandoned");
        }
        while (!firstUnderWay)
            std::this_thread::yield();
        throw std::runtime_error("could not start");
    };
    try {
        RunGamePool(
            games, 2, play, [&](GameRecord &&) { return ++finished > 0; }, [&] { ++abandoned; });
        ADD_FAILURE() << "the failure was not thrown again";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(), "could not start");
    }
    EXPECT_EQ(abandoned, 1);
    EXPECT_EQ(begun, 2);
    EXPECT_EQ(finished, 0);
}

}  // namespace
