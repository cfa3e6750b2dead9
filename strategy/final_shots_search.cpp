#include "final_shots_search.h"

#include "end_evaluation.h"
#include "geometry.h"
#include "in_play.h"

namespace {

struct SearchParameters {
    float trialCount;
    int gridSize;
    float gridSpacing;
    float randomError;
    int side;
};

ShotTarget HitTarget(const GameState &state, int stone, int spin)
{
    return MakeTarget(state.stones[stone][0], state.stones[stone][1], spin);
}

void PlayOut(const GameState &state, ShotKind kind, ShotTarget target, const SearchParameters &parameters, float &entry)
{
    GameState working = state;
    SimulateShot(working, BuildShot(kind, target), parameters.randomError);
    if (entry == UNTRIED_SCORE) {
        entry = 0.0f;
    }
    entry += static_cast<float>(EvaluateEnd(working, parameters.side)) / parameters.trialCount;
}

void PlayPass(const GameState &state, const SearchParameters &parameters, float scores[SCORE_TABLE_SIZE])
{
    for (int stone = 0; stone < FINAL_SHOT_INDEX; ++stone) {
        if (!rules::InPlay(state, stone)) {
            scores[2 * stone] = NO_SHOT_SCORE;
            scores[2 * stone + 1] = NO_SHOT_SCORE;
            continue;
        }
        for (int spin = 0; spin < 2; ++spin) {
            PlayOut(state, HIT_SHOT, HitTarget(state, stone, spin), parameters, scores[2 * stone + spin]);
        }
    }
    const int gridSize = parameters.gridSize;
    for (int i = 0; i < gridSize; ++i) {
        for (int j = 0; j < gridSize; ++j) {
            for (int spin = 0; spin < 2; ++spin) {
                const ShotTarget target = GridTarget(i, j, spin, gridSize, parameters.gridSpacing);
                PlayOut(state, DRAW_SHOT, target, parameters, scores[HIT_ENTRY_COUNT + 2 * (i * gridSize + j) + spin]);
            }
        }
    }
}

// Strictly greater replaces, so equal entries keep the lowest index and the
// marks -9 and -8 are never chosen; -1 when nothing beats NO_SHOT_SCORE.
int PickEntry(const float scores[SCORE_TABLE_SIZE], int entryCount)
{
    float best = NO_SHOT_SCORE;
    int winner = -1;
    for (int k = 0; k < entryCount; ++k) {
        if (scores[k] > best) {
            best = scores[k];
            winner = k;
        }
    }
    return winner;
}

// The target that entry winner played: a hit on stone winner / 2, or the grid
// point of its draw, computed as in the passes.
ShotTarget WinnerTarget(const GameState &state, int winner, const SearchParameters &parameters)
{
    if (winner < HIT_ENTRY_COUNT) {
        return HitTarget(state, winner / 2, winner % 2);
    }
    const int size = parameters.gridSize;
    const int point = (winner - HIT_ENTRY_COUNT) / 2;
    return GridTarget(point / size, point % size, winner % 2, size, parameters.gridSpacing);
}

}  // namespace

ShotTarget GridTarget(int i, int j, int spin, int gridSize, float gridSpacing)
{
    const int half = gridSize / 2;
    const float x = static_cast<float>(i - half) * gridSpacing + TEE_X;
    const float y = static_cast<float>(j - half) * gridSpacing + TEE_Y;
    return MakeTarget(x, y, spin);
}

float SearchFinalShots(const GameState &state, ShotVector *out, float trialCount, int gridSize, float gridSpacing,
                       float randomError)
{
    if (state.shotIndex != FINAL_SHOT_INDEX || gridSize > MAX_GRID_SIZE) {
        return NO_SHOT_SCORE;
    }
    const SearchParameters parameters = {trialCount, gridSize < 0 ? 0 : gridSize, gridSpacing, randomError,
                                         state.shotIndex % 2};
    float scores[SCORE_TABLE_SIZE];
    for (float &entry : scores) {
        entry = UNTRIED_SCORE;
    }
    for (int pass = 0; static_cast<float>(pass) < trialCount; ++pass) {
        PlayPass(state, parameters, scores);
    }
    const int size = parameters.gridSize;
    const int winner = PickEntry(scores, HIT_ENTRY_COUNT + 2 * size * size);
    if (winner < 0) {
        return NO_SHOT_SCORE;
    }
    const ShotKind kind = winner < HIT_ENTRY_COUNT ? HIT_SHOT : DRAW_SHOT;
    const ShotTarget target = WinnerTarget(state, winner, parameters);
    if (target.x == 0.0f && target.y == 0.0f) {
        return NO_SHOT_SCORE;
    }
    *out = BuildShot(kind, target);
    return scores[winner];
}
