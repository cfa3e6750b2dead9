#include "shot_selection.h"

#include "candidate_trials.h"
#include "final_shots_search.h"
#include "game_state.h"
#include "geometry.h"
#include "stone_ranking.h"

namespace {

constexpr float GUARD_OFFSET = 1.5f;
constexpr float SPOT_CLEARANCE = 0.5f;
// Default draw spots along y = TEE_Y, in order of preference.
constexpr float DRAW_SPOTS[] = {TEE_X, 1.46f, 3.29f};

constexpr float SEARCH_TRIAL_COUNT = 6.0f;
constexpr int SEARCH_GRID_SIZE = 7;
constexpr float SEARCH_GRID_SPACING = 0.3327f;

struct Sides {
    int own;
    int opponent;
};

// Remainders of signed division, as the analysis takes its side argument;
// widened so that the opponent of shot index INT_MAX does not overflow.
Sides SidesOf(int shotIndex)
{
    const long long next = static_cast<long long>(shotIndex) + 1;
    return {shotIndex % 2, static_cast<int>(next % 2)};
}

void SetScores(float candidateScores[CANDIDATE_COUNT], float value)
{
    for (int k = 0; k < CANDIDATE_COUNT; ++k) {
        candidateScores[k] = value;
    }
}

bool NearTee(const float position[2])
{
    return WithinRadius(position[0], position[1], TEE_X, TEE_Y, NEAR_TEE_RADIUS);
}

// Pass A: hit the nearest opposing stone within NEAR_TEE_RADIUS; the
// accumulators start at the floor, so only a positive mean can be chosen.
bool TryNearTeeHit(const Sides &sides, int rankCount, ShotVector &shot)
{
    float candidateScores[CANDIDATE_COUNT];
    for (int rank = 0; rank < rankCount; ++rank) {
        SetScores(candidateScores, NO_SHOT_SCORE);
        float position[2];
        const int side = RankStone(rank, position);
        if (side == sides.opponent && NearTee(position)) {
            shot = RunCandidateTrials(HIT_SHOT, position[0], position[1], candidateScores);
            return true;
        }
    }
    return false;
}

// An own stone near the tee with no stone in the lane above it and no own
// stone in the lane below it gets a guard.
bool CanGuard(const Sides &sides, const float position[2])
{
    return NearTee(position) && !AnyStoneInLaneAbove(position[0], position[1]) &&
           !AnySideStoneInLaneBelow(sides.own, position[0], position[1]);
}

// Pass B: hit an opposing stone in the house, or guard an own stone.
bool TryHitOrGuard(const Sides &sides, int rankCount, ShotVector &shot)
{
    float candidateScores[CANDIDATE_COUNT];
    for (int rank = 0; rank < rankCount; ++rank) {
        SetScores(candidateScores, 0.0f);
        float position[2];
        const int side = RankStone(rank, position);
        if (side == -1) {
            continue;
        }
        if (side == sides.opponent) {
            if (InHouse(position[0], position[1])) {
                shot = RunCandidateTrials(HIT_SHOT, position[0], position[1], candidateScores);
                return true;
            }
            continue;
        }
        if (CanGuard(sides, position)) {
            const float guardY = position[1] + GUARD_OFFSET;
            shot = RunCandidateTrials(DRAW_SHOT, position[0], guardY, candidateScores);
            return true;
        }
    }
    return false;
}

// The first spot with no own stone strictly within SPOT_CLEARANCE, else the tee.
float FreeDrawSpot(int own)
{
    for (const float spot : DRAW_SPOTS) {
        if (!AnyStoneNear(own, spot, TEE_Y, SPOT_CLEARANCE)) {
            return spot;
        }
    }
    return TEE_X;
}

ShotVector DrawToFreeSpot(int own)
{
    float candidateScores[CANDIDATE_COUNT];
    SetScores(candidateScores, 0.0f);
    return RunCandidateTrials(DRAW_SHOT, FreeDrawSpot(own), TEE_Y, candidateScores);
}

}  // namespace

ShotVector ChooseShot()
{
    const int shotIndex = gameState.shotIndex;
    if (shotIndex == FINAL_SHOT_INDEX) {
        ShotVector searched = {};
        const float result = SearchFinalShots(gameState, &searched, SEARCH_TRIAL_COUNT, SEARCH_GRID_SIZE,
                                              SEARCH_GRID_SPACING, RANDOM_ERROR);
        // Exact equality: any other result, NaN included, is a chosen shot.
        if (!(result == NO_SHOT_SCORE)) {
            return searched;
        }
    }
    const Sides sides = SidesOf(shotIndex);
    // A shot index outside 0..16 examines at most the sixteen stones there are.
    const int rankCount = ThrownStoneCount(gameState);
    ShotVector shot = {};
    if (shotIndex != 0 && shotIndex % 2 == 0 && TryNearTeeHit(sides, rankCount, shot)) {
        return shot;
    }
    if (shotIndex != 0 && TryHitOrGuard(sides, rankCount, shot)) {
        return shot;
    }
    return DrawToFreeSpot(sides.own);
}
