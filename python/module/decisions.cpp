// Both engines' answers to GO, in-process: pebble through the front end's
// globals, granite through its Engine object.
#include <mutex>
#include <optional>
#include <string>

#include <pybind11/stl.h>

#include "arrays.h"
#include "bindings.h"
#include "game_clock.h"
#include "game_score.h"
#include "game_state.h"
#include "granite_engine.h"
#include "pebble_decision.h"
#include "played_game.h"
#include "process_generator.h"
#include "simulator.h"

namespace tessival_python {

namespace {

using match::game::Other;

constexpr long long MAX_NODES = 1000000000;  // as granite's --nodes
constexpr double MAX_THINK_SECONDS = 600.0;  // as granite's --think
constexpr int MAX_THREADS = 64;

// A non-zero seed sets the process's generator as TESSIVAL_SEED with that
// value sets it at load: a throw without error takes no draw, so the
// generator comes out freshly seeded.
void ReseedProcessGenerator(uint32_t seed)
{
    GameState scratch{};
    Simulation(&scratch, ShotVector{0.0f, -1.0f, 0}, 0.0f, seed, -1);
}

ShotVector PebbleShot(const GameState &state, uint32_t seed)
{
    py::gil_scoped_release release;
    // pebble decides over the front end's globals and the process's generator.
    const std::lock_guard<std::mutex> lock(ProcessGeneratorMutex());
    const GameState savedState = gameState;
    const SimulatorBinding savedSimulator = simulator;
    simulator = SimulatorBinding{Simulation, CreateShot, CreateHitShot};
    if (seed != 0)
        ReseedProcessGenerator(seed);
    gameState = state;
    const ShotVector shot = PebbleDecision().decideShot(nullptr);
    gameState = savedState;
    simulator = savedSimulator;
    return shot;
}

// The state the runner sends with POSITION and SETSTATE: sideFlag follows the shot index.
GameState SentState(const py::handle &stones, int shotIndex, int end, int lastEnd)
{
    GameState state{};
    ReadStones(stones, state.stones);
    state.shotIndex = CheckRange("shot_index", shotIndex, 0, TESSIVAL_STONE_COUNT - 1);
    state.currentEnd = CheckRange("end", end, 0, 1000);
    state.lastEnd = CheckRange("last_end", lastEnd, 0, 1000);
    state.sideFlag = static_cast<uint8_t>(match::game::SideFlag(shotIndex));
    return state;
}

const GameState &StateToMove(const PlayedGame &game)
{
    if (game.Flow().Finished())
        throw py::value_error("the game is over: there is no shot to decide");
    return game.State();
}

// The score as SCORE sends it: the points of the side to move, then the other's.
GameScore ScoreToMove(const PlayedGame &game)
{
    const Side mover = game.ToMove();
    return GameScore{game.Flow().Total(mover), game.Flow().Total(Other(mover))};
}

GameClock ClockOf(const py::object &clock)
{
    if (clock.is_none())
        return GameClock{0, 0, 0};
    const py::tuple times = py::cast<py::tuple>(clock);
    if (times.size() != 2)
        throw py::value_error("clock must be (own_ms, other_ms)");
    const int own = CheckRange("clock own_ms", py::cast<long long>(times[0]), 0, 2147483647);
    const int other = CheckRange("clock other_ms", py::cast<long long>(times[1]), 0, 2147483647);
    return GameClock{own, other, 1};
}

// granite with the options of its command line.
class Granite {
public:
    explicit Granite(granite::EngineOptions options) : engine_(std::move(options)) {}

    ShotVector Shot(const GameState &state, const GameScore &score, const GameClock &clock) const
    {
        py::gil_scoped_release release;
        return engine_.DecideShot(state, score, clock);
    }

    const granite::EngineOptions &Options() const { return engine_.Options(); }

private:
    granite::Engine engine_;
};

granite::Evaluation EvaluationOf(const std::string &name)
{
    if (name == "rollout")
        return granite::Evaluation::ROLLOUT;
    if (name == "network")
        return granite::Evaluation::NETWORK;
    throw py::value_error("evaluation must be \"rollout\" or \"network\", not \"" + name + "\"");
}

std::unique_ptr<Granite> MakeGranite(std::optional<long long> nodes, std::optional<double> think, int threads,
                                     uint64_t seed, const std::string &evaluation,
                                     const std::optional<std::string> &weights)
{
    granite::EngineOptions options;
    options.evaluation = EvaluationOf(evaluation);
    if (weights) {
        std::string error;
        options.weights = granite::value::ValueNetwork::Load(*weights, error);
        if (!options.weights)
            throw py::value_error("weights " + *weights + ": " + error);
    }
    options.limits.threads = CheckRange("threads", threads, 1, MAX_THREADS);
    options.limits.seed = seed;
    if (think) {
        if (!(*think > 0.0 && *think <= MAX_THINK_SECONDS))
            throw py::value_error("think must be above 0 and at most 600 seconds, not " + std::to_string(*think));
        options.limits.thinkSeconds = *think;
    }
    if (nodes)
        options.limits.throws = CheckRange("nodes", *nodes, 1, static_cast<int>(MAX_NODES));
    options.effortFixed = nodes.has_value() || think.has_value();
    return std::make_unique<Granite>(std::move(options));
}

py::tuple PebbleForGame(const PlayedGame &game, uint32_t seed)
{
    return ShotTuple(PebbleShot(StateToMove(game), seed));
}

py::tuple PebbleForPosition(const py::handle &stones, int shotIndex, int end, int lastEnd, uint32_t seed)
{
    return ShotTuple(PebbleShot(SentState(stones, shotIndex, end, lastEnd), seed));
}

}  // namespace

void BindDecisions(py::module_ &module)
{
    const char *pebbleDoc = R"(pebble's shot for the side to move, decided in this process.

pebble throws its candidates with random error drawn from the physics library's
process generator. seed 0 continues that generator; any other seed first sets it
as TESSIVAL_SEED=seed sets it when a pebble program starts, so the shot is the
one a freshly started pebble with that TESSIVAL_SEED answers to the same
POSITION and SETSTATE. Decisions run one at a time (pebble works over global
records); Python's lock is released meanwhile. Returns (vx, vy, spin) in m/s.)";
    module.def("pebble_shot", &PebbleForGame, py::arg("game"), py::arg("seed") = 0,
               (std::string(pebbleDoc) + "\n\nThis form decides for the player to move in a Game.").c_str());
    module.def("pebble_shot", &PebbleForPosition, py::arg("stones"), py::arg("shot_index"), py::arg("end") = 0,
               py::arg("last_end") = 7, py::arg("seed") = 0,
               "This form decides for a (16, 2) position with the next stone shot_index (0 to 15) in end "
               "end (from 0) of a game whose last regular end is last_end; the side to move holds the "
               "hammer when shot_index is odd, as the runner plays.");

    py::class_<Granite>(module, "Granite", R"(granite, the engine that plays to win the game, in this process.

Its search runs on threads of its own with Python's lock released.)")
        .def(py::init(&MakeGranite), py::arg("nodes") = py::none(), py::arg("think") = py::none(),
             py::arg("threads") = 1, py::arg("seed") = 1, py::arg("evaluation") = "rollout",
             py::arg("weights") = py::none(),
             R"(As granite's command line: nodes, a budget of simulated throws per shot (1 to 1e9;
reproducible play, as --nodes); think, seconds per shot (above 0, at most 600;
the first twelve stones of an end use 60 % of it, as --think); with neither,
0.15 s per shot, or a share of the clock passed to shot(); nodes wins over
think. threads: 1 to 64 (within a node budget the shot does not depend on
them); seed: the search's seed (--seed); evaluation: "rollout" (the end played
out by a fast policy) or "network" (the value network); weights: the path of a
value network's weights file (--weights) instead of the shipped network.)")
        .def(
            "shot",
            [](const Granite &engine, const PlayedGame &game, const py::object &clock) {
                return ShotTuple(engine.Shot(StateToMove(game), ScoreToMove(game), ClockOf(clock)));
            },
            py::arg("game"), py::arg("clock") = py::none(),
            R"(The shot (vx, vy, spin) for the player to move in a Game, with the game's score.
clock: None, or (own_ms, other_ms) left on the game clocks of the side to move
and of the other side, as TIME sends them.)")
        .def(
            "shot",
            [](const Granite &engine, const py::handle &stones, int shotIndex, int end, int lastEnd,
               const py::object &score, const py::object &clock) {
                const GameState state = SentState(stones, shotIndex, end, lastEnd);
                const auto points = py::cast<std::pair<int, int>>(score);
                return ShotTuple(engine.Shot(state, GameScore{points.first, points.second}, ClockOf(clock)));
            },
            py::arg("stones"), py::arg("shot_index"), py::arg("end") = 0, py::arg("last_end") = 7,
            py::arg("score") = py::make_tuple(0, 0), py::arg("clock") = py::none(),
            R"(The shot for a (16, 2) position with the next stone shot_index (0 to 15) in end end
(from 0) of a game whose last regular end is last_end, the side to move holding
the hammer when shot_index is odd; score: (own, other) points of the side to
move and of the other side, as SCORE sends them.)")
        .def_property_readonly(
            "nodes",
            [](const Granite &engine) -> py::object {
                const long long throws = engine.Options().limits.throws;
                return throws > 0 ? py::object(py::int_(throws)) : py::object(py::none());
            },
            "The throw budget per shot, or None when granite thinks for a time.")
        .def_property_readonly(
            "seed", [](const Granite &engine) { return engine.Options().limits.seed; }, "The search's seed.");
}

}  // namespace tessival_python
