#include "run/game_pool.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

namespace match::run {

using game::GameRecord;
using schedule::ScheduledGame;

void RunGamePool(const std::vector<ScheduledGame> &games, int workers,
                 const std::function<GameRecord(const ScheduledGame &)> &play,
                 const std::function<bool(GameRecord &&)> &finished, const std::function<void()> &abandon)
{
    std::mutex lock;
    std::size_t next = 0;
    bool stopped = false;
    std::exception_ptr failure;

    auto work = [&] {
        for (;;) {
            std::size_t index = 0;
            {
                std::lock_guard<std::mutex> guard(lock);
                if (stopped || next == games.size())
                    return;
                index = next++;
            }
            try {
                GameRecord game = play(games[index]);
                std::lock_guard<std::mutex> guard(lock);
                if (!finished(std::move(game)))
                    stopped = true;
            } catch (...) {
                std::unique_lock<std::mutex> guard(lock);
                stopped = true;
                if (!failure) {
                    failure = std::current_exception();
                    guard.unlock();
                    abandon();
                }
            }
        }
    };
    std::size_t count = std::min(static_cast<std::size_t>(std::max(workers, 1)), games.size());
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < count; ++k)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace match::run
