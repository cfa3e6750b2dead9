// run_engine: the engines' own command loop, with a Python function as the
// decision that answers GO.
#include <csetjmp>
#include <exception>
#include <optional>
#include <utility>

#include "arrays.h"
#include "bindings.h"
#include "command_loop.h"
#include "engine_decision.h"
#include "game_clock.h"
#include "game_score.h"
#include "game_state.h"

namespace tessival_python {

namespace {

// The Python side of one run of the command loop.
struct PythonLoop {
    py::function decide;
    // What went wrong in decide or in its answer; the loop then ends.
    std::optional<py::error_already_set> failure;
    // Where the loop is left on a failure. Only the front end's frames and
    // DecideInPython's lie between, and they hold nothing to destroy.
    std::jmp_buf exit;
};

// What GO knows, as the keyword arguments of decide. The clock is None
// unless a TIME came since the last GO or NEWGAME.
py::dict Situation()
{
    py::dict fields;
    fields["stones"] = StonesArray(gameState.stones);
    fields["shot_index"] = gameState.shotIndex;
    fields["end"] = gameState.currentEnd;
    fields["last_end"] = gameState.lastEnd;
    fields["has_hammer"] = gameState.sideFlag != 0;
    fields["score"] = py::make_tuple(gameScore.own, gameScore.other);
    fields["time_left"] =
        gameClock.isSet != 0 ? py::object(py::make_tuple(gameClock.ownMs, gameClock.otherMs)) : py::object(py::none());
    return fields;
}

// Calls decide under Python's lock and reads its shot; on any fault keeps it
// in loop.failure and returns false. Its temporaries and the lock are let go
// on return, so that the jump out of the loop skips no destructor.
bool AskPython(PythonLoop &loop, ShotVector &shot)
{
    py::gil_scoped_acquire lock;
    try {
        shot = ReadShot(loop.decide(**Situation()), "decide's shot");
        return true;
    } catch (py::error_already_set &error) {
        loop.failure = std::move(error);
    } catch (py::builtin_exception &error) {
        error.set_error();
        loop.failure.emplace();
    } catch (const std::exception &error) {
        // Nothing may unwind through the front end, built without exceptions.
        PyErr_SetString(PyExc_RuntimeError, error.what());
        loop.failure.emplace();
    }
    return false;
}

ShotVector DecideInPython(void *context)
{
    auto &loop = *static_cast<PythonLoop *>(context);
    ShotVector shot{};
    if (!AskPython(loop, shot))
        std::longjmp(loop.exit, 1);
    return shot;
}

// Runs the command loop until the end of input or a failed decide.
void RunUntilFailure(PythonLoop &loop)
{
    if (setjmp(loop.exit) == 0)
        RunCommandLoop();
}

void RunEngine(py::function decide)
{
    if (engineDecision.decideShot != nullptr)
        throw py::value_error("run_engine is already running in this process");
    PythonLoop loop{std::move(decide), std::nullopt, {}};
    // Each run starts as a freshly started engine.
    gameState = GameState{};
    gameScore = GameScore{};
    gameClock = GameClock{};
    engineDecision = EngineDecision{DecideInPython, &loop};
    {
        py::gil_scoped_release unlocked;
        RunUntilFailure(loop);
    }
    engineDecision = EngineDecision{};
    if (loop.failure)
        throw *loop.failure;
}

}  // namespace

void BindEngineLoop(py::module_ &module)
{
    module.def("run_engine", &RunEngine, py::arg("decide"),
               R"(Play as an engine on standard input and output until the end of input.

Runs the command loop of pebble and granite (NEWGAME, ISREADY, POSITION,
SETSTATE, SCORE, TIME and GO, keywords in any case, lines ending in LF, CR or
CR LF). Each GO calls decide with keyword arguments:
  stones      float32 array (16, 2), metres: row k is stone k (even k: the
              side throwing first in the end), (0, 0) out of play
  shot_index  int, the stone to throw (0 to 15)
  end         int, the end, from 0
  last_end    int, the index of the last regular end
  has_hammer  bool, the side to move throws last in this end
  score       (own, other): points of the side to move and of the other side
  time_left   (own, other): milliseconds on the clocks from the TIME line
              sent since the last GO, or None when none came
and answers "BESTSHOT vx vy spin" with its return value (vx, vy, spin):
launch velocity in m/s, spin 0 or 1. Python's lock is released while the loop
waits for input. Returns None at the end of input; when decide raises, or
returns anything but such a shot, the loop stops at that GO (nothing is
answered) and run_engine raises that exception (ValueError or TypeError for a
bad shot). One loop at a time per process: a second call while one runs
raises ValueError.)");
}

}  // namespace tessival_python
