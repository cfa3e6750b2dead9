#pragma once

#include <optional>
#include <vector>

#include "game/side.h"
#include "tessival.h"

namespace match::game {

constexpr int MAX_EXTRA_ENDS = 3;

struct EndScore {
    Side hammer;
    PerSide<int> points;
};

// The sideFlag sent with SETSTATE: 1 when the side to move holds the hammer.
int SideFlag(int shotIndex);

// The score of a finished end for the hammer side, which throws the odd
// stones: negative when the side that threw first scored.
int HammerScore(const GameState &end);

// The order of ends of one game: who holds the hammer, when the game is over,
// who won. The side that scores throws first in the next end (so the hammer
// changes hands only when the hammer side scores); a blank end keeps the
// hammer. A game tied after its regular ends gets up to MAX_EXTRA_ENDS more,
// and is drawn when still tied after them.
class GameFlow {
public:
    GameFlow(int regularEnds, Side firstHammer);
    // A game that starts in end firstEnd with points already scored.
    GameFlow(int regularEnds, Side firstHammer, int firstEnd, PerSide<int> startPoints);

    int CurrentEnd() const { return firstEnd_ + static_cast<int>(ends_.size()); }
    int LastEnd() const { return regularEnds_ - 1; }
    Side Hammer() const { return hammer_; }
    Side FirstThrower() const { return Other(hammer_); }
    // The owner of the stone thrown at shotIndex in the current end.
    Side Thrower(int shotIndex) const { return shotIndex % 2 == 0 ? FirstThrower() : hammer_; }

    // hammerScore: the end's score for the hammer side's stones, negative when
    // the side that threw first scored.
    void FinishEnd(int hammerScore);

    bool Finished() const;
    int Total(Side side) const;
    // The winner of a finished game; none for a draw.
    std::optional<Side> Winner() const;
    const std::vector<EndScore> &Ends() const { return ends_; }

private:
    int regularEnds_;
    Side hammer_;
    int firstEnd_;
    PerSide<int> startPoints_;  // added to the ends' points
    std::vector<EndScore> ends_;
};

}  // namespace match::game
