#include "learn/end_positions.h"

#include <algorithm>

#include "search/sheet.h"
#include "value/end_score_distribution.h"

namespace granite::learn {

namespace {

int Margin(const std::array<int, 2> &points, int side)
{
    return points[static_cast<std::size_t>(side)] - points[static_cast<std::size_t>(1 - side)];
}

void AppendEnd(const RecordedEnd &end, int hammerLead, double result, std::vector<EndPosition> &positions)
{
    const int score = std::clamp(Margin(end.points, end.hammer), -value::MAX_END_SCORE, value::MAX_END_SCORE);
    for (const GameState &sent : end.before) {
        EndPosition position;
        position.state = search::Sanitized(sent);
        position.situation = {sent.currentEnd, sent.lastEnd, true, hammerLead};
        position.endScore = score;
        position.result = result;
        positions.push_back(position);
    }
}

}  // namespace

int AppendEndPositions(const RecordedGame &game, std::vector<EndPosition> &positions)
{
    std::array<int, 2> points{};  // of A and B before the end at hand
    int ends = 0;
    for (const RecordedEnd &end : game.ends) {
        if (end.complete && !end.before.empty()) {
            AppendEnd(end, Margin(points, end.hammer), ResultFor(game, end.hammer), positions);
            ++ends;
        }
        points[0] += end.points[0];
        points[1] += end.points[1];
    }
    return ends;
}

void EncodeEndPosition(const EndPosition &position, std::span<float, value::FEATURE_COUNT> features)
{
    value::EncodePosition(position.state, value::HammerContext(position.situation), features);
}

}  // namespace granite::learn
