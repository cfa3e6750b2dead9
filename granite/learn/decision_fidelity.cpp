#include "learn/decision_fidelity.h"

#include "end_score.h"
#include "search/sheet.h"
#include "search/shot_search.h"
#include "value/end_score_distribution.h"
#include "value/win_table.h"

namespace granite::learn {

namespace {

constexpr int LAST_STONE = 15;

void Count(Fidelity &fidelity, int score)
{
    if (score == 0)
        ++fidelity.blanks;
    else if (score == 1)
        ++fidelity.ones;
    else if (score > 1)
        ++fidelity.more;
    else
        ++fidelity.steals;
}

double NoisyBlankShare(const GameState &state, const ShotVector &shot)
{
    TessivalGenerator generator{};
    int blanks = 0;
    for (int n = 0; n < NOISY_THROWS; ++n) {
        GameState after = state;
        if (SimulationWithGenerator(&after, shot, search::RANDOM_ERROR, n == 0 ? 1u : 0u, &generator, -1) == 1 &&
            rules::EndScore(after, value::HAMMER_SIDE) == 0)
            ++blanks;
    }
    return static_cast<double>(blanks) / NOISY_THROWS;
}

}  // namespace

Fidelity MeasureFidelity(const std::vector<EndPosition> &positions, const value::ValueNetwork *network, long long nodes,
                         int limit)
{
    const value::WinTable table =
        network != nullptr ? value::WinTable(*network) : value::WinTable(value::MEASURED_END_SCORES);
    search::SearchLimits limits;
    limits.throws = nodes;
    Fidelity fidelity;
    double noisy = 0.0;
    for (const EndPosition &position : positions) {
        if (fidelity.positions >= limit)
            break;
        // The hammer throws the last stone; its situation is the one recorded.
        if (position.state.shotIndex != LAST_STONE ||
            table.AfterEnd(position.situation, 0) <= table.AfterEnd(position.situation, 1))
            continue;
        const search::SearchResult chosen =
            search::SearchShot(position.state, position.situation, table, network, limits);
        GameState after = position.state;
        TessivalGenerator generator{};
        if (SimulationWithGenerator(&after, chosen.vector, 0.0f, 1u, &generator, -1) != 1)
            continue;
        ++fidelity.positions;
        Count(fidelity, rules::EndScore(after, value::HAMMER_SIDE));
        noisy += NoisyBlankShare(position.state, chosen.vector);
    }
    fidelity.noisyBlanks = fidelity.positions > 0 ? noisy / fidelity.positions : 0.0;
    return fidelity;
}

}  // namespace granite::learn
