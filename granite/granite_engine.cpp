#include "granite_engine.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "search/sheet.h"
#include "search/shot_plan.h"
#include "time_manager.h"
#include "value/end_score_distribution.h"

namespace granite {

using search::BuildVector;
using search::SearchLimits;
using search::ShotPlan;
using value::GameSituation;

namespace {

// Bounds that keep the arithmetic of ends and leads far from overflow.
constexpr int MAX_END_INDEX = 1000;
constexpr int MAX_POINTS = 1000;
// The first stones of an end get this share of the think time, the last four all of it.
constexpr double EARLY_STONE_SHARE = 0.6;
constexpr int LATE_STONES_FROM = 12;
constexpr double MS_PER_SECOND = 1000.0;

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
    const std::optional<ShotVector> vector =
        BuildVector(ShotPlan{ShotPlan::DRAW, search::TEE_X, search::TEE_Y, 0, 0.0f});
    return vector.value_or(ShotVector{});
}

}  // namespace

namespace {

const value::ValueNetwork *NetworkOf(const EngineOptions &options)
{
    if (options.evaluation != Evaluation::NETWORK)
        return nullptr;
    return options.weights ? &*options.weights : &value::ValueNetwork::Shipped();
}

value::WinTable TableFor(const value::ValueNetwork *network)
{
    return network != nullptr ? value::WinTable(*network) : value::WinTable(value::MEASURED_END_SCORES);
}

}  // namespace

Engine::Engine(EngineOptions options)
    : options_(std::move(options)), network_(NetworkOf(options_)), table_(TableFor(network_))
{
}

SearchLimits Engine::LimitsFor(const GameState &root, const GameClock &clock) const
{
    SearchLimits limits = options_.limits;
    if (clock.isSet != 0 && !options_.effortFixed)
        limits.thinkSeconds = ThinkMilliseconds(root, clock.ownMs) / MS_PER_SECOND;
    else if (root.shotIndex < LATE_STONES_FROM)
        limits.thinkSeconds *= EARLY_STONE_SHARE;
    return limits;
}

ShotVector Engine::DecideShot(const GameState &state, const GameScore &score, const GameClock &clock) const
{
    try {
        const GameState root = search::Sanitized(state);
        const SearchLimits limits = LimitsFor(root, clock);
        return search::SearchShot(root, Situation(state, score), table_, network_, limits).vector;
    } catch (...) {
        return DrawToTee();  // out of memory or threads: still a legal answer
    }
}

}  // namespace granite
