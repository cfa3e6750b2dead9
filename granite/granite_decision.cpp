// granite's part of the front end: GO searches for the shot that best keeps
// the game winnable, SCORE tells it the score of the game.
#include <algorithm>

#include "engine_decision.h"
#include "game_score.h"
#include "game_state.h"
#include "granite_settings.h"
#include "protocol.h"
#include "sheet.h"
#include "shot_search.h"
#include "win_table.h"

namespace {

// Bounds that keep the arithmetic of ends and leads far from overflow.
constexpr int MAX_END_INDEX = 1000;
constexpr int MAX_POINTS = 1000;
// The first stones of an end get this share of the think time, the last four all of it.
constexpr double EARLY_STONE_SHARE = 0.6;
constexpr int LATE_STONES_FROM = 12;

const WinTable &Table()
{
    static const WinTable table(MEASURED_END_SCORES);
    return table;
}

GameSituation Situation(const GameState &state, const GameScore &score)
{
    GameSituation situation;
    situation.currentEnd = std::clamp(state.currentEnd, 0, MAX_END_INDEX);
    situation.lastEnd = std::clamp(state.lastEnd, 0, MAX_END_INDEX);
    situation.hammer = state.sideFlag != 0;
    situation.lead = std::clamp(score.own, -MAX_POINTS, MAX_POINTS) - std::clamp(score.other, -MAX_POINTS, MAX_POINTS);
    return situation;
}

ShotVector DrawToTee()
{
    const std::optional<ShotVector> vector = BuildVector(ShotPlan{ShotPlan::DRAW, TEE_X, TEE_Y, 0, 0.0f});
    return vector.value_or(ShotVector{});
}

}  // namespace

ShotVector DecideShot()
{
    try {
        const GameState root = Sanitized(gameState);
        SearchLimits limits = Settings().limits;
        if (root.shotIndex < LATE_STONES_FROM) limits.thinkSeconds *= EARLY_STONE_SHARE;
        return SearchShot(root, Situation(gameState, CurrentScore()), Table(), limits).vector;
    } catch (...) {
        return DrawToTee();  // out of memory or threads: still a legal answer
    }
}

void HandleOtherCommand(const char *keyword, const char *line)
{
    if (IsKeyword(keyword, "SCORE")) ReadScoreCommand(line);
}
