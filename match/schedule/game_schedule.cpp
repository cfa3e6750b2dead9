#include "schedule/game_schedule.h"

namespace match::schedule {

using game::PerSide;
using game::Side;
using setup::MatchSetup;

namespace {

// The pair's position, its first game's side 0 the pairing's first engine.
void StartFromPosition(const MatchSetup &setup, ScheduledGame &game, bool firstOfPair)
{
    const std::vector<game::StartPosition> &positions = setup.positions->positions;
    std::size_t index = static_cast<std::size_t>(game.pair - 1) % positions.size();
    game.start = game::GameStart{positions[index], firstOfPair ? Side::A : Side::B};
    game.firstHammer = game.start->Hammer();
}

std::vector<PerSide<int>> Pairings(int engines, bool gauntlet)
{
    std::vector<PerSide<int>> pairings;
    for (int first = 0; first < (gauntlet ? 1 : engines); ++first)
        for (int second = first + 1; second < engines; ++second)
            pairings.push_back({first, second});
    return pairings;
}

}  // namespace

std::vector<ScheduledGame> MatchSchedule(const MatchSetup &setup)
{
    std::vector<ScheduledGame> schedule;
    const int pairsPerPairing = (setup.games + 1) / 2;
    int pairingIndex = 0;
    for (const PerSide<int> &players : Pairings(static_cast<int>(setup.engines.size()), setup.gauntlet)) {
        for (int k = 0; k < setup.games; ++k) {
            ScheduledGame game;
            game.number = static_cast<int>(schedule.size()) + 1;
            game.pair = pairingIndex * pairsPerPairing + k / 2 + 1;
            game.players = players;
            game.firstHammer = k % 2 == 0 ? Side::B : Side::A;
            if (setup.positions && !setup.positions->positions.empty())
                StartFromPosition(setup, game, k % 2 == 0);
            schedule.push_back(game);
        }
        ++pairingIndex;
    }
    return schedule;
}

std::vector<ScheduledGame> ShardSchedule(const MatchSetup &setup)
{
    std::vector<ScheduledGame> games;
    for (const ScheduledGame &game : MatchSchedule(setup))
        if ((game.pair - 1) % setup.shard.count == setup.shard.index - 1)
            games.push_back(game);
    return games;
}

}  // namespace match::schedule
