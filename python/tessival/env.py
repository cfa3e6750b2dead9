"""A curling environment for reinforcement learning.

CurlingEnv follows the conventional interface of the reinforcement-learning
libraries (reset, step, observation_space, action_space, close) without
depending on any of them: numpy and the tessival module only. The game under
it is the match runner's own (tessival.Game): its hammer, extra ends, end
scores and seeded throwing error.
"""

import numbers

import numpy as np

from . import _tessival
from .spaces import Box

# Observation layout: one float32 vector, seen by one player (the "viewer").
STONE_FIELDS = 32  # 16 stones, x then y: the viewer's 8 stones in throw order, then the other side's 8
SHOT_INDEX = 32  # the next stone to throw in the end, 0 to 15 (16 once the game is over)
END = 33  # the end being played, from 0; extra ends go past the last regular end
ENDS_LEFT = 34  # regular ends after this one (0 in the last regular end and in extra ends)
SCORE_DIFFERENCE = 35  # the viewer's points minus the other side's
HAMMER = 36  # 1 when the viewer holds the hammer in this end, else 0
OBSERVATION_SIZE = 37

MAX_POINTS_PER_END = _tessival.STONE_COUNT // 2

# Launch vectors worth sampling: vy -4.0 m/s is a fast takeout, -1.85 m/s stops
# short of the hog line; vx +-0.6 m/s aims across the whole sheet with curl.
ACTION_LOW = (-0.6, -4.0, 0.0)
ACTION_HIGH = (0.6, -1.85, 1.0)

GRANITE_DEFAULTS = {"nodes": 300}
OPPONENTS = ("pebble", "granite", "self")
REWARDS = ("end", "game")
SIDES = (0, 1, "alternate")

# Salts that keep the seeds of pebble's decisions and granite's searches apart
# from each other and from the throws'.
PEBBLE_SALT = 0x70656262
GRANITE_SALT = 0x6772616E


def _derived_seed(parts, salt, dtype=np.uint32):
    """A non-zero seed mixed from whole numbers."""
    words = []
    for part in parts:
        words += [part & 0xFFFFFFFF, part >> 32]
    value = int(np.random.SeedSequence(words + [salt]).generate_state(1, dtype)[0])
    return value or 1


def _checked_seed(seed):
    if seed is not None and (not isinstance(seed, numbers.Integral) or not 0 <= seed < 2**64):
        raise ValueError(f"seed must be a whole number from 0 to 2**64 - 1 or None, not {seed!r}")
    return None if seed is None else int(seed)


def _shot_of(action):
    """(vx, vy, spin) from an action; ValueError for anything but three numbers."""
    try:
        array = np.asarray(action, dtype=np.float64)
    except (TypeError, ValueError) as error:
        raise ValueError(f"action must be three numbers (vx, vy, spin): {error}") from None
    if array.shape != (3,):
        raise ValueError(f"action must have shape (3,), not {array.shape}")
    return float(array[0]), float(array[1]), float(array[2])


class CurlingEnv:
    """A curling game against an engine, or against itself, one stone per step.

    Follows the conventional reinforcement-learning interface (reset, step,
    observation_space, action_space, close) without depending on any
    reinforcement-learning library.

    Players are 0 and 1, as the match runner's A and B; player 1 holds the
    hammer in the first end, as in the runner's first game of a pair, and
    after that the side that scores an end throws first in the next.

    Arguments:
      ends: regular ends per game (1 for a single end, 8 for a game); a game
        tied after them gets up to 3 extra ends and is then drawn, so every
        episode terminates.
      opponent: "pebble"; "granite" (opponent_options are those of
        tessival.Granite: nodes, think, threads, evaluation, seed; default
        {"nodes": 300}); "self", the agent plays every stone; or a callable
        opponent(observation, info) -> (vx, vy, spin), given the observation
        and info as seen by the opponent.
      agent_side: 0, 1, or "alternate": player 0 in the first episode, then
        1, 0, ... Ignored in self-play.
      reward: "end", each finished end's points for the agent minus the
        opponent's, so an episode's return is the game's point difference;
        "game", +1 for a win, -1 for a loss, 0 for a draw, at the last step.
      error: the thrower's sigma in metres (the runner's 0.145).
      seed: the episodes' seed (64-bit unsigned); None draws one.
      paths: True to give each throw's path in info["shots"].

    Actions are shots (vx, vy, spin): the launch velocity in m/s (thrown
    stones travel toward smaller y) and a spin of 0 or 1. action_space
    bounds the speeds worth sampling (see ACTION_LOW and ACTION_HIGH); any
    finite vector is played. A spin other than 0 or 1, a non-finite number or
    a shape other than (3,) raises ValueError.

    Observations are float32 vectors of OBSERVATION_SIZE, seen by the player
    to act next (the agent; in self-play the side to move):
      [0:32]  the 16 stones' (x, y) in metres, the viewer's 8 stones in the
              order thrown, then the other side's 8; (0, 0) not in play
      [32]    shot index: the next stone of the end, 0 to 15 (16 at the end)
      [33]    end, from 0
      [34]    regular ends left after this one
      [35]    the viewer's points minus the other side's
      [36]    1 when the viewer holds the hammer in this end, else 0
    Once the game is over the viewer is the agent (in self-play, the side
    that threw last) and the stones are those of the last end.

    info holds the raw state: stones ((16, 2) float32, stone k the k-th
    thrown; the side without the hammer throws the even ones), shot_index,
    end, score (player 0's, player 1's), hammer (the player holding it),
    to_move (None at the end), agent (the agent's player; in self-play the
    side the observation is seen by), winner (at the end: 0, 1 or None for a
    draw), and shots: one dict per throw since the last observation (see
    tessival.Game.play; "path" with paths=True).

    In self-play each step plays the next stone for whoever throws it, and
    the reward is from the view of the side that threw it: with "end", the
    finished end's points for that side minus the other's (only the end's
    last stone, the hammer's, earns one); with "game", +1 when that side won.

    Seeding: reset(seed=S) restarts the episodes from S; later resets
    without a seed go on to the next episode. An episode's throws, pebble's
    decisions and granite's searches draw from seeds derived from it, so the
    same seed and the same actions give the same observations and rewards
    (granite with a "think" time excepted: its search depends on the clock).
    truncated is always False.
    """

    def __init__(self, ends=8, opponent="pebble", opponent_options=None, agent_side=0, reward="end",
                 error=0.145, seed=None, paths=False):
        if not isinstance(ends, numbers.Integral) or not 1 <= ends <= 100:
            raise ValueError(f"ends must be a whole number from 1 to 100, not {ends!r}")
        if not callable(opponent) and opponent not in OPPONENTS:
            raise ValueError(f"opponent must be one of {OPPONENTS} or a callable, not {opponent!r}")
        if agent_side not in SIDES or isinstance(agent_side, bool):
            raise ValueError(f"agent_side must be 0, 1 or 'alternate', not {agent_side!r}")
        if reward not in REWARDS:
            raise ValueError(f"reward must be 'end' or 'game', not {reward!r}")
        if opponent_options and opponent != "granite":
            raise ValueError("opponent_options are granite's only")
        self.ends = int(ends)
        self.opponent = opponent
        self.agent_side = agent_side
        self.reward = reward
        self.error = float(error)
        self.paths = bool(paths)
        self._granite_options = dict(GRANITE_DEFAULTS if opponent_options is None else opponent_options)
        if opponent == "granite":
            _tessival.Granite(**self._granite_options)  # refuses bad options now rather than at reset
        _tessival.Game(ends=self.ends, error=self.error)  # likewise the error
        self._seed = _checked_seed(seed)
        self._episode = -1
        self._game = None
        self._agent = 0
        self._granite = None

        limit = MAX_POINTS_PER_END * (self.ends + _tessival.MAX_EXTRA_ENDS)
        low = np.zeros(OBSERVATION_SIZE, dtype=np.float32)
        high = np.zeros(OBSERVATION_SIZE, dtype=np.float32)
        high[0:STONE_FIELDS:2] = _tessival.SHEET_WIDTH
        high[1:STONE_FIELDS:2] = _tessival.RELEASE_Y
        high[SHOT_INDEX] = 16
        high[END] = self.ends - 1 + _tessival.MAX_EXTRA_ENDS
        high[ENDS_LEFT] = self.ends - 1
        low[SCORE_DIFFERENCE], high[SCORE_DIFFERENCE] = -limit, limit
        high[HAMMER] = 1
        self.observation_space = Box(low, high, dtype=np.float32)
        self.action_space = Box(ACTION_LOW, ACTION_HIGH, dtype=np.float32, integral=(False, False, True))

    @property
    def game(self):
        """The tessival.Game of the episode (None before the first reset)."""
        return self._game

    def reset(self, seed=None, options=None):
        """Starts an episode; returns (observation, info). options is accepted and unused."""
        if seed is not None:
            self._seed = _checked_seed(seed)
            self._episode = -1
        if self._seed is None:
            self._seed = int(np.random.SeedSequence().generate_state(1, np.uint64)[0])
        self._episode += 1
        self._agent = self._episode % 2 if self.agent_side == "alternate" else self.agent_side
        # As the runner's pairs: the two seats of an alternating pair throw with the same seeds.
        pair = self._episode // 2 + 1 if self.agent_side == "alternate" else self._episode + 1
        self._game = _tessival.Game(ends=self.ends, seed=self._seed, pair=pair, error=self.error, first_hammer=1)
        if self.opponent == "granite":
            granite_options = dict(self._granite_options)
            granite_options.setdefault("seed", _derived_seed([self._seed, pair], GRANITE_SALT, np.uint64))
            self._granite = _tessival.Granite(**granite_options)
        if self._self_play():
            viewer, shots = self._game.to_move, []
        else:
            viewer, shots = self._agent, self._opponent_turns()
        return self._observation(viewer), self._info(viewer, shots)

    def step(self, action):
        """Plays the agent's shot, then the opponent's until the agent is to move again or the game is over.

        Returns (observation, reward, terminated, truncated, info)."""
        if self._game is None or self._game.finished:
            raise RuntimeError("call reset() to start an episode")
        shot = _shot_of(action)
        player = self._game.to_move  # the agent; in self-play, the side this stone is for
        shots = [self._game.play(shot, path=self.paths)]
        viewer = player
        if not self._self_play():
            shots += self._opponent_turns()
        elif not self._game.finished:
            viewer = self._game.to_move
        reward = self._reward(player, shots)
        return (self._observation(viewer), reward, self._game.finished, False, self._info(viewer, shots))

    def close(self):
        """Lets the episode and the opponent go."""
        self._game = None
        self._granite = None

    def _self_play(self):
        return self.opponent == "self"

    def _opponent_turns(self):
        shots = []
        while not self._game.finished and self._game.to_move != self._agent:
            shots.append(self._game.play(self._opponent_shot(), path=self.paths))
        return shots

    def _opponent_shot(self):
        game = self._game
        if self.opponent == "pebble":
            seed = _derived_seed([self._seed, self._episode, game.end, game.shot_index], PEBBLE_SALT)
            return _tessival.pebble_shot(game, seed=seed)
        if self.opponent == "granite":
            return self._granite.shot(game)
        viewer = game.to_move
        return self.opponent(self._observation(viewer), self._info(viewer, []))

    def _reward(self, player, shots):
        game = self._game
        if self.reward == "game":
            if not game.finished or game.winner is None:
                return 0.0
            return 1.0 if game.winner == player else -1.0
        total = 0
        for shot in shots:
            if shot["end_finished"]:
                points = shot["end_score"]
                total += points[player] - points[1 - player]
        return float(total)

    def _end_hammer(self):
        """The player holding the hammer in the end the stones belong to."""
        game = self._game
        return game.end_scores[-1][2] if game.finished else game.hammer

    def _observation(self, viewer):
        game = self._game
        stones = game.stones
        own_parity = 1 if self._end_hammer() == viewer else 0
        order = list(range(own_parity, 16, 2)) + list(range(1 - own_parity, 16, 2))
        observation = np.empty(OBSERVATION_SIZE, dtype=np.float32)
        observation[:STONE_FIELDS] = stones[order].reshape(-1)
        observation[SHOT_INDEX] = game.shot_index
        observation[END] = game.end
        observation[ENDS_LEFT] = max(0, game.last_end - game.end)
        score = game.score
        observation[SCORE_DIFFERENCE] = score[viewer] - score[1 - viewer]
        observation[HAMMER] = own_parity
        return observation

    def _info(self, viewer, shots):
        game = self._game
        return {
            "stones": game.stones,
            "shot_index": game.shot_index,
            "end": game.end,
            "score": game.score,
            "hammer": self._end_hammer(),
            "to_move": None if game.finished else game.to_move,
            "agent": viewer,
            "winner": game.winner,
            "shots": shots,
        }
