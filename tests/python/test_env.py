"""The runner's game, both engines' decisions in-process, and the environment."""

import json
import os
import pathlib
import subprocess
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import tessival
from tessival.env import HAMMER, SCORE_DIFFERENCE, SHOT_INDEX, CurlingEnv

BIN = os.environ.get("PEBBLE_BIN", "build/bin")
SHIPPED_WEIGHTS = pathlib.Path(__file__).resolve().parents[2] / "granite/value/weights/value_network.bin"
TEE = complex(2.375, 4.88)
RELEASE = complex(2.375, 33.227)
HOGGED = (0.0, -1.0, 0)  # stops far short of the hog line: removed


def draw_to(point, spin=0):
    """The launch vector resting at point, from the closed form of a free run."""
    curl = -1 if spin == 0 else 1
    squared = (point - RELEASE) * 0.08 * complex(2, -curl * 0.075)  # |V| V
    vector = squared / abs(squared) ** 0.5
    return (vector.real, vector.imag, spin)


def play_end(game, shots):
    """Plays the next 16 stones: shots maps a shot index to its shot, the others are hogged."""
    return [game.play(shots.get(index, HOGGED)) for index in range(16)]


def engine_reply(command, lines, env=None):
    """The BESTSHOT of an engine program given the protocol lines, as (vx, vy, spin) text."""
    run_env = dict(os.environ, **(env or {}))
    reply = subprocess.run(command, input="\n".join(lines) + "\n", capture_output=True, text=True, env=run_env,
                           check=True, timeout=60).stdout
    words = reply.split()
    assert words[0] == "BESTSHOT", reply
    return words[1:4]


def protocol_lines(stones, shot_index, end, last_end, score=None):
    lines = ["POSITION " + " ".join(f"{value:.9g}" for value in np.asarray(stones).reshape(-1)),
             f"SETSTATE {shot_index} {end} {last_end} {shot_index % 2}"]
    if score is not None:
        lines.append(f"SCORE {score[0]} {score[1]}")
    return lines + ["GO"]


def as_reply(shot):
    return [f"{shot[0]:f}", f"{shot[1]:f}", str(shot[2])]


def mid_end_position():
    """Two stones in play, six thrown by pebble against itself: a position where pebble's draws decide its shot."""
    game = tessival.Game(ends=2, seed=18)
    for _ in range(6):
        game.play(tessival.pebble_shot(game, seed=11))
    return game


class TestGameFlow:
    def test_blank_end_keeps_the_hammer_and_a_scoring_side_throws_first_next(self):
        game = tessival.Game(ends=3, error=0.0)
        assert (game.hammer, game.to_move, game.side_flag) == (1, 0, 0)
        blank = play_end(game, {})[-1]
        assert blank["end_finished"] and blank["end_score"] == (0, 0)
        assert (game.end, game.hammer, game.shot_index) == (1, 1, 0)

        scored = play_end(game, {15: draw_to(TEE)})[-1]
        assert scored["player"] == 1 and scored["end_score"] == (0, 1)
        assert (game.end, game.hammer, game.to_move) == (2, 0, 1)
        assert not game.stones.any()

        stolen = play_end(game, {0: draw_to(TEE)})
        assert stolen[0]["player"] == 1 and stolen[-1]["player"] == 0 and stolen[-1]["end_score"] == (0, 1)
        assert game.finished and game.score == (0, 2) and game.winner == 1
        assert game.end_scores == [(0, 0, 1), (0, 1, 1), (0, 1, 0)]
        with pytest.raises(ValueError, match="over"):
            game.play(draw_to(TEE))

    def test_a_tied_game_gets_three_extra_ends_then_is_drawn(self):
        game = tessival.Game(ends=1, error=0.0)
        for end in range(4):
            assert not game.finished and game.end == end
            play_end(game, {})
        assert game.finished and game.winner is None and game.last_end == 0

    def test_throws_exactly_as_the_runner(self, tmp_path):
        record = tmp_path / "game.jsonl"
        subprocess.run([f"{BIN}/pebble-match", "--ends", "1", "--seed", "77", "--record", str(record)],
                       check=True, capture_output=True, timeout=120)
        header, played = [json.loads(line) for line in record.read_text().splitlines()[:2]]
        game = tessival.Game(ends=1, seed=header["seed"], pair=played["pair"],
                             first_hammer="AB".index(played["firstHammer"]))
        for shot in played["ends"][0]["shots"]:
            assert game.to_move == "AB".index(shot["engine"])
            assert game.throw_seed(0, shot["shotIndex"]) == shot["seed"]
            vector = shot["shot"]
            result = game.play((vector["vx"], vector["vy"], vector["spin"]))
            np.testing.assert_array_equal(result["stones"], np.array(shot["resting"], dtype=np.float32))
        score = played["ends"][0]["score"]
        assert game.score == (score["A"], score["B"])

    def test_bad_arguments_raise_value_error(self):
        for arguments in ({"ends": 0}, {"error": -1.0}, {"first_hammer": 2}, {"pair": 0}):
            with pytest.raises(ValueError):
                tessival.Game(**arguments)
        game = tessival.Game()
        for shot in ((0.0, float("nan"), 0), (0.0, -2.0, 2), (0.0, -2.0)):
            with pytest.raises(ValueError):
                game.play(shot)
        assert game.shot_index == 0

    def test_path_follows_the_thrown_stone_to_its_rest(self):
        game = tessival.Game(error=0.0)
        result = game.play(draw_to(TEE), path=True)
        path = result["path"]
        assert path.shape[1] == 2 and len(path) > 2
        np.testing.assert_allclose(path[0], (RELEASE.real, RELEASE.imag), atol=1e-5)
        np.testing.assert_array_equal(path[-1], result["stones"][0])


class TestDecisionsInProcess:
    def test_pebble_answers_as_the_program(self):
        game = mid_end_position()
        shots = set()
        for seed in (5, 123456):
            for stones, shot_index in ((np.zeros((16, 2), np.float32), 0), (game.stones, game.shot_index)):
                expected = engine_reply([f"{BIN}/pebble"], protocol_lines(stones, shot_index, 1, 1),
                                        {"TESSIVAL_SEED": str(seed)})
                shot = tessival.pebble_shot(stones, shot_index, end=1, last_end=1, seed=seed)
                assert as_reply(shot) == expected
                shots.add(shot)
        assert len(shots) > 2  # the seed reached pebble's draws

    def test_pebble_decisions_from_threads_are_those_of_one_thread(self):
        # Seeded throws on the process's generator run among them: pebble draws from it too.
        game = mid_end_position()

        def task(seed):
            if seed % 2:
                return tessival.pebble_shot(game, seed=seed)
            return tessival.simulate(game.stones, game.shot_index, draw_to(TEE), 0.145, seed).tobytes()

        alone = [task(seed) for seed in range(1, 41)]
        with ThreadPoolExecutor(4) as pool:
            assert list(pool.map(task, range(1, 41))) == alone

    @pytest.mark.parametrize("evaluation", ["rollout", "network"])
    def test_granite_answers_as_the_program(self, evaluation):
        game = mid_end_position()
        command = [f"{BIN}/granite", "--nodes", "150", "--seed", "4", "--eval", evaluation]
        expected = engine_reply(command, protocol_lines(game.stones, game.shot_index, 0, 1, score=(2, 1)))
        for threads in (1, 2):
            engine = tessival.Granite(nodes=150, seed=4, threads=threads, evaluation=evaluation)
            shot = engine.shot(game.stones, game.shot_index, end=0, last_end=1, score=(2, 1))
            assert as_reply(shot) == expected

    def test_granite_takes_a_weights_file_and_refuses_bad_options(self, tmp_path):
        game = mid_end_position()
        shipped = tessival.Granite(nodes=100, evaluation="network", weights=str(SHIPPED_WEIGHTS))
        assert shipped.shot(game) == tessival.Granite(nodes=100, evaluation="network").shot(game)
        junk = tmp_path / "junk.bin"
        junk.write_bytes(b"not a network")
        for options in ({"nodes": 0}, {"think": 0.0}, {"threads": 65}, {"evaluation": "guess"},
                        {"weights": str(junk)}, {"weights": str(tmp_path / "missing.bin")}):
            with pytest.raises(ValueError):
                tessival.Granite(**options)


def run_episode(env, seed, actions=None):
    """Plays an episode with random (or given) actions; returns the steps' (observation, reward, info)."""
    rng = np.random.default_rng(seed)
    observation, info = env.reset(seed=seed)
    steps = [(observation, 0.0, info)]
    terminated = False
    while not terminated:
        action = env.action_space.sample(rng) if actions is None else actions[len(steps) - 1]
        observation, reward, terminated, truncated, info = env.step(action)
        assert not truncated
        steps.append((observation, reward, info))
    return steps


class TestEnvironment:
    def test_episode_against_pebble_returns_the_point_difference(self):
        env = CurlingEnv(ends=2, opponent="pebble", agent_side=1, seed=1)
        steps = run_episode(env, seed=21)
        assert all(env.observation_space.contains(observation) for observation, _, _ in steps)
        assert len(steps) - 1 == 8 * len(env.game.end_scores)
        score = steps[-1][2]["score"]
        assert sum(reward for _, reward, _ in steps) == score[1] - score[0]
        assert steps[-1][0][SCORE_DIFFERENCE] == score[1] - score[0]
        agent_shots = [shot for _, _, info in steps[1:] for shot in info["shots"] if shot["player"] == 1]
        assert len(agent_shots) == len(steps) - 1

    def test_observation_puts_the_viewers_stones_first(self):
        env = CurlingEnv(ends=1, opponent="pebble", agent_side=0, seed=2, paths=True)
        observation, info = env.reset()
        assert info["to_move"] == 0 and observation[HAMMER] == 0 and observation[SHOT_INDEX] == 0
        observation, _, _, _, info = env.step(draw_to(TEE))
        assert [shot["player"] for shot in info["shots"]] == [0, 1]
        assert all(len(shot["path"]) > 2 for shot in info["shots"])
        stones = info["stones"]
        np.testing.assert_array_equal(observation[:16], stones[0::2].reshape(-1))
        np.testing.assert_array_equal(observation[16:32], stones[1::2].reshape(-1))
        assert observation[SHOT_INDEX] == 2

    def test_game_reward_is_the_result_at_the_last_step(self):
        env = CurlingEnv(ends=1, opponent="pebble", reward="game", seed=3)
        steps = run_episode(env, seed=3)
        assert all(reward == 0.0 for _, reward, _ in steps[:-1])
        winner = steps[-1][2]["winner"]
        assert steps[-1][1] == {None: 0.0, 0: 1.0, 1: -1.0}[winner]

    @pytest.mark.parametrize("opponent, options", [("pebble", None), ("granite", {"nodes": 60})])
    def test_same_seed_and_actions_give_the_same_episode(self, opponent, options):
        env = CurlingEnv(ends=1, opponent=opponent, opponent_options=options, agent_side=1)
        first = run_episode(env, seed=8)
        actions = [shot["shot"] for _, _, info in first[1:] for shot in info["shots"] if shot["player"] == 1]
        again = run_episode(env, seed=8, actions=actions)
        assert len(first) == len(again)
        for (observation, reward, _), (repeated, repeated_reward, _) in zip(first, again):
            np.testing.assert_array_equal(observation, repeated)
            assert reward == repeated_reward
        other = run_episode(env, seed=9, actions=actions)
        assert any(not np.array_equal(a[0], b[0]) for a, b in zip(first, other))

    def test_alternate_sides_and_pairs_as_the_runner(self):
        env = CurlingEnv(ends=1, opponent=lambda observation, info: HOGGED, agent_side="alternate", seed=4)
        sides = []
        for _ in range(3):
            _, info = env.reset()
            sides.append(info["agent"])
            assert info["to_move"] == info["agent"]
        assert sides == [0, 1, 0]
        assert env.game.throw_seed(0, 0) == tessival.Game(seed=4, pair=2).throw_seed(0, 0)

    def test_callable_opponent_sees_its_own_view(self):
        seen = []

        def opponent(observation, info):
            seen.append((observation[HAMMER], info["agent"], info["to_move"]))
            return HOGGED

        env = CurlingEnv(ends=1, opponent=opponent, agent_side=0, seed=5)
        env.reset()
        env.step(HOGGED)
        assert seen == [(1.0, 1, 1)]

    def test_self_play_finishes_with_the_throwers_reward(self):
        env = CurlingEnv(ends=1, opponent="self", seed=6)
        steps = run_episode(env, seed=6, actions=[HOGGED] * 15 + [draw_to(TEE)] + [HOGGED] * 64)
        assert len(steps) == 17 and steps[-1][1] == 1.0
        assert steps[-1][2]["winner"] == 1 and steps[-1][2]["agent"] == 1
        assert [info["agent"] for _, _, info in steps[:4]] == [0, 1, 0, 1]

    def test_spaces_sample_valid_actions(self):
        env = CurlingEnv(ends=1, opponent="self")
        rng = np.random.default_rng(0)
        actions = [env.action_space.sample(rng) for _ in range(200)]
        assert all(env.action_space.contains(action) for action in actions)
        assert {float(action[2]) for action in actions} == {0.0, 1.0}
        assert not env.action_space.contains((0.0, -2.0, 0.5))
        assert not env.action_space.contains((0.0, -2.0))
        env.reset(seed=1)
        for action in actions[:16]:
            env.step(action)

    def test_bad_actions_and_options_raise(self):
        env = CurlingEnv(ends=1, opponent="self", seed=7)
        with pytest.raises(RuntimeError):
            env.step(HOGGED)
        env.reset()
        for action in ((0.0, float("nan"), 0), (0.0, -2.0, 0.5), (0.0, -2.0), [[0.0, -2.0, 0]], "shot"):
            with pytest.raises(ValueError):
                env.step(action)
        assert env.game.shot_index == 0
        for options in ({"ends": 0}, {"opponent": "nobody"}, {"agent_side": 2}, {"reward": "stones"},
                        {"opponent": "granite", "opponent_options": {"nodes": -1}}, {"seed": -1}):
            with pytest.raises(ValueError):
                CurlingEnv(**options)
