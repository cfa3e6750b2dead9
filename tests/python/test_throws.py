"""Single throws: launch vectors for a target, and one throw on a copy of a position."""

import math

import numpy as np
import pytest

import tessival

ERROR = 0.145


def empty():
    return np.zeros((16, 2), dtype=np.float32)


def guarded_house():
    stones = empty()
    stones[0] = (2.3, 5.0)  # side 0 near the tee
    stones[1] = (2.9, 7.8)  # side 1 guard
    stones[2] = (1.8, 4.2)
    return stones


def test_draw_rests_at_its_target_without_error():
    for x, y, spin in [(2.375, 4.88, 0), (1.5, 6.0, 1), (3.4, 9.5, 0)]:
        shot = tessival.create_shot(x, y, spin)
        assert shot[2] == spin
        after = tessival.simulate(empty(), 0, shot)
        assert after.dtype == np.float32 and after.shape == (16, 2)
        assert math.dist(after[0], (x, y)) < 1e-3
        assert not after[1:].any()


def test_hit_runs_past_a_draw_and_power_zero_is_the_draw():
    draw = tessival.create_shot(2.375, 6.1, 1)
    assert tessival.create_hit_shot(2.375, 6.1, 1, power=0.0) == draw
    hit = tessival.create_hit_shot(2.375, 6.1, 1)
    assert math.hypot(hit[0], hit[1]) > math.hypot(draw[0], draw[1])
    # Hit the stone on the target out of the house.
    stones = empty()
    stones[1] = (2.375, 6.1)
    after = tessival.simulate(stones, 2, hit)
    assert not np.array_equal(after[1], stones[1])


def test_seed_reproduces_a_throw_and_another_seed_differs():
    shot = tessival.create_shot(2.375, 4.88, 0)
    first = tessival.simulate(guarded_house(), 3, shot, ERROR, 7)
    again = tessival.simulate(guarded_house(), 3, shot, ERROR, 7)
    other = tessival.simulate(guarded_house(), 3, shot, ERROR, 8)
    assert np.array_equal(first, again)
    assert not np.array_equal(first, other)


def test_process_generator_and_own_generator_give_the_same_throws():
    shot = tessival.create_hit_shot(2.3, 5.0, 0)
    generator = np.zeros(4, dtype=np.uint64)
    for seed in (11, 0, 0):
        on_process = tessival.simulate(guarded_house(), 5, shot, ERROR, seed)
        on_own = tessival.simulate(guarded_house(), 5, shot, ERROR, seed, generator=generator)
        assert np.array_equal(on_process, on_own)
    assert generator.any()


def test_new_generator_continues_as_a_first_throw_with_its_seed():
    shot = tessival.create_shot(2.0, 5.5, 1)
    seeded = tessival.new_generator(99)
    assert seeded.dtype == np.uint64 and seeded.shape == (4,)
    fresh = np.zeros(4, dtype=np.uint64)
    a = tessival.simulate(empty(), 0, shot, ERROR, 0, generator=seeded)
    b = tessival.simulate(empty(), 0, shot, ERROR, 99, generator=fresh)
    assert np.array_equal(a, b)
    assert np.array_equal(seeded, fresh)


def test_stone_index_names_the_delivered_stone():
    shot = tessival.create_shot(2.375, 4.88, 0)
    after = tessival.simulate(empty(), 3, shot, stone_index=6)
    assert after[6].any() and not after[3].any()


def test_input_is_not_changed():
    stones = guarded_house()
    kept = stones.copy()
    tessival.simulate(stones, 3, tessival.create_hit_shot(2.3, 5.0, 0), ERROR, 3)
    assert np.array_equal(stones, kept)


def test_trace_path_ends_where_the_stone_rests():
    shot = tessival.create_shot(2.375, 4.88, 1)
    stones, path = tessival.simulate_trace(empty(), 0, shot, ERROR, 5, points=40)
    assert path.shape == (40, 2) and path.dtype == np.float32
    assert path[0] == pytest.approx((tessival.RELEASE_X, tessival.RELEASE_Y))
    assert path[-1] == pytest.approx(stones[0], abs=1e-4)
    assert np.array_equal(stones, tessival.simulate(empty(), 0, shot, ERROR, 5))
    generator = np.zeros(4, dtype=np.uint64)
    same, same_path = tessival.simulate_trace(empty(), 0, shot, ERROR, 5, generator=generator, points=40)
    assert np.array_equal(same, stones) and np.array_equal(same_path, path)
    # The path is the named stone's, not the one shot_index names (nor the next, after the throw).
    named, named_path = tessival.simulate_trace(empty(), 2, shot, ERROR, 5, generator=generator, stone_index=9)
    assert named_path.shape == (64, 2) and np.array_equal(named_path[-1], named[9])


@pytest.mark.parametrize(
    "call, name",
    [
        (lambda: tessival.create_shot(2.0, tessival.RELEASE_Y, 0), "y"),
        (lambda: tessival.create_shot(float("nan"), 5.0, 0), "x"),
        (lambda: tessival.create_shot(2.0, 5.0, 2), "spin"),
        (lambda: tessival.create_hit_shot(2.0, 5.0, 0, power=-1.0), "power"),
        (lambda: tessival.simulate(np.zeros((15, 2)), 0, (0.0, -2.0, 0)), "stones"),
        (lambda: tessival.simulate(np.full((16, 2), np.nan), 0, (0.0, -2.0, 0)), "stones"),
        (lambda: tessival.simulate(empty(), 16, (0.0, -2.0, 0)), "shot_index"),
        (lambda: tessival.simulate(empty(), 0, (0.0, -2.0, 2)), "shot spin"),
        (lambda: tessival.simulate(empty(), 0, (np.inf, -2.0, 0)), "shot vx"),
        (lambda: tessival.simulate(empty(), 0, (0.0, -2.0, 0), float("inf")), "error"),
        (lambda: tessival.simulate(empty(), 0, (0.0, -2.0, 0), 0.1, -1), "seed"),
        (lambda: tessival.simulate(empty(), 0, (0.0, -2.0, 0), stone_index=16), "stone_index"),
        (lambda: tessival.simulate(empty(), 0, (0.0, -2.0, 0), generator=np.zeros(4)), "generator"),
        (lambda: tessival.simulate(empty(), 0, (0.0, -2.0, 0), generator=np.zeros(3, np.uint64)), "generator"),
        (lambda: tessival.simulate_trace(empty(), 0, (0.0, -2.0, 0), points=1), "points"),
        (lambda: tessival.new_generator(0), "seed"),
    ],
)
def test_bad_input_raises_naming_the_argument(call, name):
    with pytest.raises(ValueError, match=name):
        call()


def test_wrong_kinds_raise_type_error():
    with pytest.raises(TypeError, match="shot"):
        tessival.simulate(empty(), 0, 3.0)
    with pytest.raises(TypeError, match="shot vx must be a number, not 'a'"):
        tessival.simulate(empty(), 0, ("a", -2.0, 0))
    with pytest.raises(TypeError, match="generator"):
        tessival.simulate(empty(), 0, (0.0, -2.0, 0), generator=[0, 0, 0, 0])
    read_only = np.zeros(4, dtype=np.uint64)
    read_only.flags.writeable = False
    with pytest.raises(ValueError, match="generator must be writable"):
        tessival.simulate(empty(), 0, (0.0, -2.0, 0), generator=read_only)
