#include "candidate_trials.h"

#include "end_evaluation.h"
#include "game_state.h"

namespace {

ShotTarget CandidateTarget(float baseX, float baseY, int lateral, int spin)
{
    const float x = baseX - static_cast<float>(lateral - 1) * LATERAL_STEP;
    return MakeTarget(x, baseY, spin);
}

// Candidates 2 and 3, aimed at the base point, win ties; the others must be
// strictly better. None reaches the floor NO_SHOT_SCORE: -1.
int PickCandidate(const float candidateScores[CANDIDATE_COUNT])
{
    float best = NO_SHOT_SCORE;
    int chosen = -1;
    for (int k = 0; k < CANDIDATE_COUNT; ++k) {
        const bool aimedAtBase = k == 2 || k == 3;
        const float score = candidateScores[k];
        if (aimedAtBase ? score >= best : score > best) {
            best = score;
            chosen = k;
        }
    }
    return chosen;
}

}  // namespace

ShotVector RunCandidateTrials(ShotKind kind, float baseX, float baseY, float candidateScores[CANDIDATE_COUNT])
{
    const int side = gameState.shotIndex % 2;
    GameState trial;
    for (int repeat = 0; repeat < TRIAL_REPEATS; ++repeat) {
        for (int lateral = 0; lateral < 3; ++lateral) {
            for (int spin = 0; spin < 2; ++spin) {
                const ShotTarget target = CandidateTarget(baseX, baseY, lateral, spin);
                trial = gameState;
                SimulateShot(trial, BuildShot(kind, target), RANDOM_ERROR);
                const float score = static_cast<float>(EvaluateEnd(trial, side));
                candidateScores[2 * lateral + spin] += score / static_cast<float>(TRIAL_REPEATS);
            }
        }
    }
    // No candidate chosen (-1) decodes to lateral 0 with spin 1: candidate 1.
    const int chosen = PickCandidate(candidateScores);
    const int lateral = chosen / 2;
    const int spin = chosen % 2 != 0 ? 1 : 0;
    return BuildShot(kind, CandidateTarget(baseX, baseY, lateral, spin));
}
