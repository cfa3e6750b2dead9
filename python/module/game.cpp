#include <string>

#include "arrays.h"
#include "bindings.h"
#include "played_game.h"

namespace tessival_python {

namespace {

constexpr int MAX_ENDS = 100;       // as the runner's --ends
constexpr float MAX_ERROR = 10.0f;  // m, as the runner's --error

// A player's number: 0 for the runner's A, 1 for its B.
int Number(Side side)
{
    return match::game::Index(side);
}

py::tuple Pair(const PerSide<int> &values)
{
    return py::make_tuple(values[0], values[1]);
}

// The thrown stone's path as an (n, 2) float32 array of points evenly spaced in time.
FloatArray PathArray(const match::game::ShotTrace &trace, int stone)
{
    const match::game::StonePath *path = trace.PathOf(stone);
    const py::ssize_t count = path == nullptr ? 0 : static_cast<py::ssize_t>(path->points.size());
    FloatArray array({count, py::ssize_t{2}});
    auto view = array.mutable_unchecked<2>();
    for (py::ssize_t i = 0; i < count; ++i) {
        view(i, 0) = path->points[static_cast<std::size_t>(i)][0];
        view(i, 1) = path->points[static_cast<std::size_t>(i)][1];
    }
    return array;
}

py::dict ShotDict(const PlayedShot &played, bool withPath)
{
    py::dict result;
    result["player"] = Number(played.player);
    result["end"] = played.end;
    result["shot_index"] = played.shotIndex;
    result["seed"] = played.seed;
    result["shot"] = ShotTuple(played.shot);
    result["stones"] = StonesArray(played.resting.stones);
    result["end_finished"] = played.endFinished;
    result["end_score"] = played.endFinished ? py::object(Pair(played.points)) : py::object(py::none());
    if (withPath)
        result["path"] = PathArray(played.trace, played.shotIndex);
    return result;
}

PlayedGame MakeGame(int ends, uint64_t seed, int pair, double error, int firstHammer)
{
    CheckRange("ends", ends, 1, MAX_ENDS);
    CheckRange("pair", pair, 1, 1000000000);
    CheckRange("first_hammer", firstHammer, 0, 1);
    const float sigma = CheckFinite("error", error);
    if (sigma < 0.0f || sigma > MAX_ERROR)
        throw py::value_error("error must be from 0 to 10 metres, not " + std::to_string(error));
    return PlayedGame(ends, seed, pair, sigma, firstHammer == 0 ? Side::A : Side::B);
}

py::dict Play(PlayedGame &game, const py::handle &value, bool withPath)
{
    if (game.Flow().Finished())
        throw py::value_error("the game is over: no more shots can be played");
    const ShotVector shot = ReadShot(value, "shot");
    PlayedShot played;
    // One throw is short work: Python's lock stays held, so no other thread plays this game meanwhile.
    if (!game.Play(shot, played))
        throw py::value_error("the physics library refused the shot " + py::repr(ShotTuple(shot)).cast<std::string>());
    return ShotDict(played, withPath);
}

py::list EndScores(const PlayedGame &game)
{
    py::list ends;
    for (const match::game::EndScore &end : game.Flow().Ends())
        ends.append(py::make_tuple(end.points[0], end.points[1], Number(end.hammer)));
    return ends;
}

py::object Winner(const PlayedGame &game)
{
    const match::game::GameFlow &flow = game.Flow();
    if (!flow.Finished() || !flow.Winner())
        return py::none();
    return py::int_(Number(*flow.Winner()));
}

}  // namespace

void BindGame(py::module_ &module)
{
    module.attr("MAX_EXTRA_ENDS") = match::game::MAX_EXTRA_ENDS;
    py::class_<PlayedGame>(module, "Game", R"(A game as the match runner plays it, shot by shot.

The players are 0 and 1 (the runner's A and B). The flow is the runner's own:
the side that scores an end throws first in the next (a blank end keeps the
hammer), a game tied after its regular ends gets up to 3 extra ends and is then
drawn, and each throw's random error is drawn with the seed the runner derives
from the match seed, the pair, the end and the shot index, so a game played here
throws exactly as the runner would throw the same shots.

Positions are (16, 2) float32 arrays in metres: stone k is the k-th thrown in
the end (even k by the side that throws first, odd k by the hammer), (0, 0) out
of play. Shots are (vx, vy, spin): the launch velocity in m/s and a spin of 0 or 1.)")
        .def(py::init(&MakeGame), py::arg("ends") = 8, py::arg("seed") = 20260101, py::arg("pair") = 1,
             py::arg("error") = 0.145, py::arg("first_hammer") = 1,
             R"(ends: regular ends (1 to 100); seed: the match seed (64-bit unsigned); pair: the
runner's pair number (from 1; both games of a pair throw with the same seeds);
error: the thrower's sigma in metres (0 to 10); first_hammer: the player (0 or
1) holding the hammer in the first end (1 in the runner's first game of a pair).)")
        .def("play", &Play, py::arg("shot"), py::arg("path") = false,
             R"(Throws the next stone with shot (vx, vy, spin) for the player to move.

Returns a dict: player (who threw), end, shot_index, seed (of its random error),
shot (as thrown, float32 values), stones (the (16, 2) position after the throw),
end_finished, end_score ((points of player 0, of player 1) when the throw
finished the end, else None) and, with path=True, path: the thrown stone's
(n, 2) float32 path from the release, evenly spaced in time. Raises ValueError
for a bad shot, a shot the library refuses, or a game that is over.)")
        .def_property_readonly(
            "stones", [](const PlayedGame &game) { return StonesArray(game.State().stones); },
            "The (16, 2) float32 position: the current end's, or the last end's final one when the game is over.")
        .def_property_readonly(
            "shot_index", [](const PlayedGame &game) { return game.State().shotIndex; },
            "The next stone to throw in the end, 0 to 15 (16 once the game is over).")
        .def_property_readonly(
            "end", [](const PlayedGame &game) { return game.State().currentEnd; },
            "The end being played, from 0 (the last one played once the game is over); extra ends go past last_end.")
        .def_property_readonly(
            "last_end", [](const PlayedGame &game) { return game.Flow().LastEnd(); },
            "The index of the last regular end: ends - 1.")
        .def_property_readonly(
            "side_flag", [](const PlayedGame &game) { return static_cast<int>(game.State().sideFlag); },
            "1 when the player to move holds the hammer in this end, else 0 (SETSTATE's flag).")
        .def_property_readonly(
            "hammer", [](const PlayedGame &game) { return Number(game.Flow().Hammer()); },
            "The player (0 or 1) holding the hammer in this end: it throws the odd stones.")
        .def_property_readonly(
            "to_move", [](const PlayedGame &game) { return Number(game.ToMove()); },
            "The player (0 or 1) who throws the next stone.")
        .def_property_readonly(
            "score",
            [](const PlayedGame &game) {
                return py::make_tuple(game.Flow().Total(Side::A), game.Flow().Total(Side::B));
            },
            "The game's points so far: (player 0's, player 1's).")
        .def_property_readonly("end_scores", &EndScores,
                               "One (points of player 0, points of player 1, hammer) tuple per finished end, in order.")
        .def_property_readonly(
            "finished", [](const PlayedGame &game) { return game.Flow().Finished(); },
            "True once the game is over (after its regular ends, or its extra ends).")
        .def_property_readonly("winner", &Winner,
                               "The winning player (0 or 1) of a finished game; None for a draw or an unfinished game.")
        .def("throw_seed", &PlayedGame::Seed, py::arg("end"), py::arg("shot_index"),
             "The seed (never 0) the runner draws the random error of that throw with.");
    BindDecisions(module);
}

}  // namespace tessival_python
