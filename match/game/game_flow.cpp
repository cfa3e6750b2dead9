#include "game/game_flow.h"

#include <cstdlib>

#include "end_score.h"

namespace match::game {

int SideFlag(int shotIndex)
{
    return shotIndex % 2;
}

int HammerScore(const GameState &end)
{
    return rules::EndScore(end, 1);
}

GameFlow::GameFlow(int regularEnds, Side firstHammer) : GameFlow(regularEnds, firstHammer, 0, {0, 0}) {}

GameFlow::GameFlow(int regularEnds, Side firstHammer, int firstEnd, PerSide<int> startPoints)
    : regularEnds_(regularEnds), hammer_(firstHammer), firstEnd_(firstEnd), startPoints_(startPoints)
{
}

void GameFlow::FinishEnd(int hammerScore)
{
    EndScore score{hammer_, {0, 0}};
    Side scorer = hammerScore > 0 ? hammer_ : FirstThrower();
    score.points[Index(scorer)] = std::abs(hammerScore);
    ends_.push_back(score);
    if (hammerScore > 0)
        hammer_ = Other(hammer_);
}

bool GameFlow::Finished() const
{
    if (CurrentEnd() < regularEnds_)
        return false;
    return Total(Side::A) != Total(Side::B) || CurrentEnd() >= regularEnds_ + MAX_EXTRA_ENDS;
}

int GameFlow::Total(Side side) const
{
    int total = startPoints_[static_cast<std::size_t>(Index(side))];
    for (const EndScore &end : ends_)
        total += end.points[Index(side)];
    return total;
}

std::optional<Side> GameFlow::Winner() const
{
    if (Total(Side::A) == Total(Side::B))
        return std::nullopt;
    return Total(Side::A) > Total(Side::B) ? Side::A : Side::B;
}

}  // namespace match::game
