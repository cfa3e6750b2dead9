#include "summary/summary_json.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace match::summary {

using nlohmann::json;
using statistics::EloEstimate;
using statistics::EndStatistics;
using statistics::PairResult;
using statistics::Rating;
using statistics::SprtDecision;

namespace {

constexpr const char *FORMAT = "pebble-match summary";
constexpr int VERSION = 1;

// JSON has no infinity: an unbounded end is null.
json Number(double value)
{
    return std::isfinite(value) ? json(value) : json(nullptr);
}

json Estimate(const EloEstimate &estimate)
{
    return {{"elo", Number(estimate.elo)}, {"lower", Number(estimate.lower)}, {"upper", Number(estimate.upper)}};
}

const char *DecisionName(SprtDecision decision)
{
    switch (decision) {
    case SprtDecision::AcceptH0:
        return "H0 accepted";
    case SprtDecision::AcceptH1:
        return "H1 accepted";
    case SprtDecision::Continue:
        break;
    }
    return "continue";
}

json Sprt(const SprtSummary &sprt)
{
    return {{"elo0", sprt.test.elo0},
            {"elo1", sprt.test.elo1},
            {"alpha", sprt.test.alpha},
            {"beta", sprt.test.beta},
            {"llr", sprt.state.llr},
            {"lowerBound", sprt.state.lowerBound},
            {"upperBound", sprt.state.upperBound},
            {"state", sprt.undecidedAtCap ? "undecided at the cap" : DecisionName(sprt.state.decision)},
            {"decidedAfterPair", sprt.decidedAfterPair ? json(*sprt.decidedAfterPair) : json(nullptr)}};
}

void AddTwoEngines(json &object, const TwoEngineSummary &two)
{
    const MatchTally &tally = two.tally;
    object["result"] = {{"wins", tally.wins},
                        {"losses", tally.losses},
                        {"draws", tally.draws},
                        {"pointsFor", tally.pointsFor},
                        {"pointsAgainst", tally.pointsAgainst}};
    object["elo"] = Estimate(two.elo);
    object["pairs"] = {{"count", two.pairCount}, {"scores", two.pairs}};
    object["sprt"] = two.sprt ? Sprt(*two.sprt) : json(nullptr);
}

json Ratings(const statistics::RatingFit &fit)
{
    json table = json::array();
    int rank = 0;
    for (const Rating &rating : fit.ratings)
        table.push_back({{"rank", ++rank},
                         {"engine", rating.name},
                         {"games", rating.games},
                         {"score", rating.games > 0 ? json(rating.scorePercent) : json(nullptr)},
                         {"elo", Number(rating.elo)},
                         {"lower", Number(rating.lower)},
                         {"upper", Number(rating.upper)}});
    return {{"table", table}, {"priorAdded", fit.priorAdded}};
}

json Crosstable(const std::vector<std::string> &names, const std::vector<PairResult> &pairs)
{
    json list = json::array();
    for (const PairResult &pair : pairs)
        list.push_back({{"engines", json::array({names[static_cast<std::size_t>(pair.first)],
                                                 names[static_cast<std::size_t>(pair.second)]})},
                        {"wins", pair.wins},
                        {"losses", pair.losses},
                        {"draws", pair.draws},
                        {"score", 100.0 * pair.Points() / pair.Games()}});
    return list;
}

json Ends(const EndStatistics &ends)
{
    return {{"engine", ends.name},
            {"ends", ends.ends},
            {"hammerEnds", ends.hammerEnds},
            {"hammerNonBlank", ends.hammerNonBlank},
            {"hammerScoredTwoPlus", ends.hammerScoredTwoPlus},
            {"forcedEnds", ends.forcedEnds},
            {"forceHeld", ends.forceHeld},
            {"stealEnds", ends.stealEnds},
            {"steals", ends.steals},
            {"blankEnds", ends.blankEnds}};
}

// Figures an engine lacks (no think time recorded, no clock) are null.
json Times(const EngineTimes &engine)
{
    bool think = engine.shots > 0;
    bool clock = engine.clockGames > 0;
    return {{"engine", engine.name},
            {"shots", engine.shots},
            {"meanThinkMs", think ? json(engine.meanThinkMs) : json(nullptr)},
            {"longestThinkMs", think ? json(engine.longestThinkMs) : json(nullptr)},
            {"clockGames", engine.clockGames},
            {"meanLeftMs", clock ? json(engine.meanLeftMs) : json(nullptr)},
            {"leastLeftMs", clock ? json(engine.leastLeftMs) : json(nullptr)}};
}

json Missing(const Coverage &coverage)
{
    json shards = json::array();
    for (const ShardCoverage &shard : coverage.shards)
        shards.push_back({{"shard", json::array({shard.index, shard.count})},
                          {"given", shard.given},
                          {"games", shard.scheduled},
                          {"missing", shard.missing}});
    return {{"games", coverage.missing},
            {"scheduled", coverage.scheduled},
            {"shards", shards},
            {"tornRecords", coverage.tornRecords}};
}

json Positions(const std::vector<PositionSummary> &positions)
{
    json list = json::array();
    for (const PositionSummary &position : positions)
        list.push_back({{"name", position.name},
                        {"line", position.line},
                        {"pairs", position.pairs},
                        {"games", position.tally.Games()},
                        {"wins", position.tally.wins},
                        {"losses", position.tally.losses},
                        {"draws", position.tally.draws},
                        {"score", position.ScorePercent()}});
    return list;
}

}  // namespace

json SummaryJson(const MatchSummary &summary, bool running)
{
    json object = {{"format", FORMAT},
                   {"version", VERSION},
                   {"running", running},
                   {"engines", summary.engines},
                   {"games", summary.games},
                   {"complete", summary.coverage.Complete()},
                   {"missing", Missing(summary.coverage)},
                   {"result", nullptr},
                   {"elo", nullptr},
                   {"pairs", nullptr},
                   {"sprt", nullptr},
                   {"ratings", nullptr},
                   {"crosstable", nullptr}};
    if (summary.two)
        AddTwoEngines(object, *summary.two);
    else {
        object["ratings"] = Ratings(summary.ratings);
        object["crosstable"] = Crosstable(summary.engines, summary.crosstable);
    }
    json ends = json::array();
    for (const EndStatistics &engine : summary.ends)
        ends.push_back(Ends(engine));
    object["ends"] = ends;
    object["allEnds"] = Ends(statistics::AllEnds(summary.ends));
    object["positions"] = summary.positions ? Positions(*summary.positions) : json(nullptr);
    json times = json::array();
    for (const EngineTimes &engine : summary.times)
        times.push_back(Times(engine));
    object["times"] = times;
    return object;
}

std::string SummaryJsonText(const MatchSummary &summary, bool running)
{
    return SummaryJson(summary, running).dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string WriteSummaryFile(const std::string &path, const std::string &text)
{
    std::string beside = path + ".writing";
    {
        std::ofstream file(beside, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush())
            return "cannot write " + beside + ": " + std::strerror(errno);
    }
    if (std::rename(beside.c_str(), path.c_str()) != 0)
        return "cannot write " + path + ": " + std::strerror(errno);
    return "";
}

}  // namespace match::summary
