#include "viewer/viewer_data.h"

#include <cmath>

#include "end_score.h"
#include "game/line_score.h"
#include "in_play.h"
#include "setup/engine_names.h"
#include "viewer/page_numbers.h"
#include "viewer/stone_motion.h"

namespace match::viewer {

using game::EndRecord;
using game::FormatResult;
using game::FormatStart;
using game::GameRecord;
using game::Index;
using game::Letter;
using game::MatchRecord;
using game::Other;
using game::PerSide;
using game::ShotRecord;
using game::ShotTrace;
using game::Side;
using game::StonePath;
using nlohmann::json;
using pictures::BACK_LINE_Y;
using pictures::PathColour;
using pictures::SHEET_WIDTH;
using pictures::SheetView;
using pictures::STONE_RADIUS;
using pictures::StoneColour;
using setup::EngineName;

namespace {

std::string LetterOf(Side side)
{
    return std::string(1, Letter(side));
}

// The stones in play as [stone, x, y], in millimetres: the page draws these
// and no others.
json StonesInPlay(const GameState &state)
{
    json stones = json::array();
    for (int k = 0; k < TESSIVAL_STONE_COUNT; ++k)
        if (rules::InPlay(state, k))
            stones.push_back({k, Millimetres(static_cast<double>(state.stones[k][0])),
                              Millimetres(static_cast<double>(state.stones[k][1]))});
    return stones;
}

// Every stone the throw set moving, along its traced path as the view shows
// it.
json Paths(const ShotTrace &trace, double farY)
{
    json paths = json::array();
    for (const StonePath &traced : trace.paths) {
        json path = {{"stone", traced.stone}, {"points", PathNumbers(ShownPath(traced, farY))}};
        if (traced.leftSheet)
            path["left"] = true;
        paths.push_back(path);
    }
    return paths;
}

// Each contact as [time in milliseconds, first stone, second stone].
json Contacts(const ShotTrace &trace)
{
    json contacts = json::array();
    for (const TessivalContact &contact : trace.contacts)
        contacts.push_back({Milliseconds(static_cast<double>(contact.time)), contact.first, contact.second});
    return contacts;
}

// The points each side would score if the end finished with position.
json EndScore(const GameState &position, Side hammer)
{
    // Side 1 of the end's score is the hammer's, which throws the odd stones.
    int score = rules::EndScore(position, 1);
    json points = {0, 0};
    if (score > 0)
        points[static_cast<std::size_t>(Index(hammer))] = score;
    if (score < 0)
        points[static_cast<std::size_t>(Index(Other(hammer)))] = -score;
    return points;
}

json Shot(const ShotRecord &shot, const EndRecord &end, double farY)
{
    // The page knows the engine from the stone's number and the end's hammer.
    json item = {{"reply", shot.reply}, {"played", shot.played}};
    // Whole milliseconds: the page shows seconds to the thousandth.
    if (shot.thinkMs)
        item["thinkMs"] = std::llround(*shot.thinkMs);
    if (shot.clockMs)
        item["clockMs"] = *shot.clockMs;
    if (!shot.played) {
        item["score"] = EndScore(shot.sent, end.hammer);
        return item;
    }
    item.update({{"vx", Shortest(shot.shot.vx)},
                 {"vy", Shortest(shot.shot.vy)},
                 {"spin", shot.shot.spin},
                 {"seed", shot.seed},
                 {"resting", StonesInPlay(shot.resting)},
                 {"score", EndScore(shot.resting, end.hammer)},
                 {"paths", Paths(shot.trace, farY)},
                 {"contacts", Contacts(shot.trace)}});
    return item;
}

json End(const GameRecord &game, const EndRecord &end, double farY)
{
    json shots = json::array();
    for (const ShotRecord &shot : end.shots)
        shots.push_back(Shot(shot, end, farY));
    json item = {{"index", end.index},
                 {"hammer", LetterOf(end.hammer)},
                 {"complete", end.complete},
                 {"points", {end.points[0], end.points[1]}},
                 {"shots", shots}};
    if (!game.start || end.index != game.start->position.end)
        return item;
    // The end a start position opens: its first recorded shot throws stone "first".
    GameState opening = game::EndOpening(game.start, end.index);
    item.update({{"first", opening.shotIndex},
                 {"opening", StonesInPlay(opening)},
                 {"openingScore", EndScore(opening, end.hammer)}});
    return item;
}

// Where a game from a start position began: the position's name and line, and
// the points each engine had.
json Start(const GameRecord &game)
{
    const game::StartPosition &position = game.start->position;
    PerSide<int> points = game.start->Points();
    return {{"name", position.name},
            {"line", position.line},
            {"end", position.end},
            {"shot", position.shot},
            {"points", {points[0], points[1]}},
            {"side0", LetterOf(game.start->side0)},
            {"text", FormatStart(game)}};
}

// The match's engine playing as side in game: in a tournament each game has its own two.
std::size_t PlayerOf(const GameRecord &game, Side side)
{
    return static_cast<std::size_t>(game.players[static_cast<std::size_t>(Index(side))]);
}

// Records of one format or another name their engines; the command's program otherwise.
std::string NameOf(const MatchRecord &record, std::size_t engine)
{
    return engine < record.names.size() ? record.names[engine] : EngineName(record.engines[engine]);
}

json Players(const GameRecord &game, const MatchRecord &record)
{
    json players = json::array();
    for (Side side : {Side::A, Side::B}) {
        std::size_t engine = PlayerOf(game, side);
        players.push_back({{"letter", LetterOf(side)},
                           {"name", NameOf(record, engine)},
                           {"command", record.engines[engine]},
                           {"stone", StoneColour(side)},
                           {"path", PathColour(side)}});
    }
    return players;
}

json Game(const GameRecord &game, const MatchRecord &record, double farY)
{
    json ends = json::array();
    for (const EndRecord &end : game.ends)
        ends.push_back(End(game, end, farY));
    json forfeit = nullptr;
    if (game.forfeit) {
        Side side = game.forfeit->engine;
        forfeit = {{"engine", LetterOf(side)},
                   {"message", "engine " + LetterOf(side) + " (" + record.engines[PlayerOf(game, side)] + ") " +
                                   game.forfeit->Verb() + ": it " + game.forfeit->reason}};
    }
    PerSide<std::string> names = {NameOf(record, PlayerOf(game, Side::A)), NameOf(record, PlayerOf(game, Side::B))};
    json item = {{"number", game.number},
                 {"regularEnds", game.regularEnds},
                 {"firstHammer", LetterOf(game.firstHammer)},
                 {"totals", {game.totals[0], game.totals[1]}},
                 {"result", FormatResult(game, names)},
                 {"engines", Players(game, record)},
                 {"forfeit", forfeit},
                 {"ends", ends}};
    if (game.start)
        item["start"] = Start(game);
    return item;
}

}  // namespace

json ViewerData(const MatchRecord &record, const SheetView &view)
{
    json games = json::array();
    for (const GameRecord &game : record.games)
        games.push_back(Game(game, record, view.farY));
    json engines = json::array();
    for (std::size_t i = 0; i < record.engines.size(); ++i)
        engines.push_back({{"name", NameOf(record, i)}, {"command", record.engines[i]}});
    return {{"engines", engines},
            {"seed", record.seed},
            {"error", record.error},
            {"view",
             {{"scale", view.scale},
              {"left", view.left},
              {"top", view.top},
              {"nearY", view.nearY},
              {"farY", view.farY},
              {"sheetWidth", SHEET_WIDTH},
              {"stoneRadius", STONE_RADIUS},
              {"backLimit", BACK_LINE_Y - STONE_RADIUS}}},
            {"games", games}};
}

}  // namespace match::viewer
