#include "end_evaluation.h"

#include "end_score.h"

int EvaluateEnd(const GameState &state, int side)
{
    return rules::EndScore(state, side);
}
