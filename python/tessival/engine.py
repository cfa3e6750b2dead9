"""Write a curling engine in Python: a function from the situation to a shot.

    import tessival

    def decide(situation):
        return tessival.create_shot(tessival.TEE_X, tessival.TEE_Y, 0)

    tessival.engine.run(decide)

The script is then an engine like pebble and granite, for example
``pebble-match "python3 my_engine.py" pebble`` (pebble-match passes its
environment, PYTHONPATH included, to the engines it starts).
"""

import contextlib
import dataclasses
import sys
import traceback
from typing import Optional, Tuple

import numpy as np

from ._tessival import run_engine


@dataclasses.dataclass(frozen=True, eq=False)  # a field is an array: no value equality
class Situation:
    """What the engine knows when asked for a shot (one GO).

    stones: float32 array (16, 2), metres; row k is stone k, even rows the
        stones of the side that throws first in the end, odd rows those of the
        hammer's side; (0, 0) marks a stone out of play or not yet thrown.
    shot_index: the stone to be thrown now, 0 to 15; the side to move owns
        the rows of its parity.
    end: the end being played, from 0. last_end: the index of the last
        regular end (an extra end has end > last_end).
    has_hammer: True when the side to move throws the last stone of the end.
    score: (own, other), the game's points so far of the side to move and
        of the other side.
    time_left: (own, other), milliseconds left on the clocks of the side to
        move and of the other side, or None when the match has no clock.
    """

    stones: np.ndarray
    shot_index: int
    end: int
    last_end: int
    has_hammer: bool
    score: Tuple[int, int]
    time_left: Optional[Tuple[int, int]]

    @property
    def side(self) -> int:
        """The side to move: 0 (even rows of stones) or 1 (odd rows)."""
        return self.shot_index % 2

    @property
    def own_indices(self) -> np.ndarray:
        """The rows of stones that belong to the side to move (8 indices)."""
        return np.arange(self.side, 16, 2)

    @property
    def other_indices(self) -> np.ndarray:
        """The rows of stones that belong to the other side (8 indices)."""
        return np.arange(1 - self.side, 16, 2)


def run(decide):
    """Play as an engine on standard input and output until the end of input.

    decide(situation) gets a Situation for every GO and returns the shot
    (vx, vy, spin): the launch velocity in m/s toward smaller y, spin 0 or 1
    (tessival.create_shot and tessival.create_hit_shot make one from a
    target). Whatever decide prints goes to standard error, since standard
    output carries the protocol.

    When decide raises, or returns anything but such a shot, run prints the
    traceback (for a bad shot, what is wrong with it) on standard error and
    ends the program with exit status 1: the match runner then forfeits the
    game for this engine and shows the message. At the end of input run
    returns, and the engine should then exit with status 0.
    """
    if not callable(decide):
        raise TypeError(f"decide must be a function of the situation, not {type(decide).__name__}")
    try:
        with contextlib.redirect_stdout(sys.stderr):
            run_engine(lambda **fields: decide(Situation(**fields)))
    except Exception:
        traceback.print_exc()
        sys.stderr.flush()
        sys.exit(1)
