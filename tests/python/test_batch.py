"""simulate_batch: the same throws as single simulate calls, whatever the threads."""

import numpy as np
import pytest

import tessival

ERROR = 0.145
COUNT = 23  # divisible by none of the thread counts below


def positions(count):
    """Positions of a few stones in and around the house, different for each throw."""
    rng = np.random.default_rng(4)
    stones = np.zeros((count, 16, 2), dtype=np.float32)
    for i in range(count):
        for k in range(i % 6):
            stones[i, k] = (rng.uniform(1.0, 3.7), rng.uniform(3.5, 9.0))
    return stones


def throws(count):
    targets = [(2.375, 4.88), (2.0, 5.5), (2.8, 6.2), (1.7, 4.4)]
    vectors = np.zeros((count, 2), dtype=np.float32)
    spins = np.arange(count) % 2
    for i in range(count):
        x, y = targets[i % len(targets)]
        make = tessival.create_hit_shot if i % 3 == 0 else tessival.create_shot
        vectors[i] = make(x, y, int(spins[i]))[:2]
    shot_index = np.arange(count) % 6
    return shot_index, vectors, spins


def singles(stones, shot_index, vectors, spins, errors, seeds, generators=None):
    out = []
    for i in range(len(vectors)):
        generator = None if generators is None else generators[i]
        shot = (float(vectors[i, 0]), float(vectors[i, 1]), int(spins[i]))
        out.append(tessival.simulate(stones[i], int(shot_index[i]), shot, errors[i], int(seeds[i]), generator=generator))
    return np.stack(out)


@pytest.mark.parametrize("threads", [1, 2, 3, 7, 64])
def test_batch_equals_single_calls_for_every_thread_count(threads):
    stones = positions(COUNT)
    shot_index, vectors, spins = throws(COUNT)
    errors = np.full(COUNT, ERROR)
    seeds = np.arange(1, COUNT + 1, dtype=np.uint32)
    expected = singles(stones, shot_index, vectors, spins, errors, seeds)
    got = tessival.simulate_batch(stones, shot_index, vectors, spins, errors, seeds, threads=threads)
    assert got.shape == (COUNT, 16, 2) and got.dtype == np.float32
    assert np.array_equal(got, expected)
    assert not np.array_equal(got[0], got[4])  # the throws really differ


def test_one_position_and_scalars_broadcast():
    stones = positions(6)[5]
    shot_index, vectors, spins = throws(COUNT)
    seeds = np.arange(100, 100 + COUNT, dtype=np.uint32)
    got = tessival.simulate_batch(stones, 7, vectors, spins, ERROR, seeds, threads=3)
    expected = singles([stones] * COUNT, [7] * COUNT, vectors, spins, [ERROR] * COUNT, seeds)
    assert np.array_equal(got, expected)


def test_generators_are_updated_as_single_calls_update_them():
    stones = positions(COUNT)
    shot_index, vectors, spins = throws(COUNT)
    seeds = np.where(np.arange(COUNT) % 2 == 0, 0, np.arange(COUNT) + 50).astype(np.uint32)
    start = np.stack([tessival.new_generator(1000 + i) for i in range(COUNT)])
    single_generators = start.copy()
    expected = singles(stones, shot_index, vectors, spins, [ERROR] * COUNT, seeds, single_generators)
    for threads in (1, 2, 7):
        generators = start.copy()
        got = tessival.simulate_batch(stones, shot_index, vectors, spins, ERROR, seeds, threads=threads,
                                      generators=generators)
        assert np.array_equal(got, expected)
        assert np.array_equal(generators, single_generators)
    assert not np.array_equal(single_generators, start)


def test_out_is_filled_and_returned():
    shot_index, vectors, spins = throws(5)
    out = np.full((5, 16, 2), -1.0, dtype=np.float32)
    got = tessival.simulate_batch(positions(5), shot_index, vectors, spins, 0.0, np.ones(5, np.uint32), out=out)
    assert got is out
    assert (out >= 0).all()
    # Positions updated in place: each throw reads its row before writing it.
    stones = positions(5)
    expected = tessival.simulate_batch(stones, shot_index, vectors, spins, ERROR, np.arange(1, 6), threads=2)
    tessival.simulate_batch(stones, shot_index, vectors, spins, ERROR, np.arange(1, 6), threads=2, out=stones)
    assert np.array_equal(stones, expected)


def test_empty_batch():
    got = tessival.simulate_batch(np.zeros((16, 2)), 0, np.zeros((0, 2)), [], 0.0, np.zeros(0, np.uint32), threads=2)
    assert got.shape == (0, 16, 2)


def good(count=4):
    shot_index, vectors, spins = throws(count)
    return dict(stones=positions(count), shot_index=shot_index, vectors=vectors, spins=spins, errors=ERROR,
                seeds=np.arange(1, count + 1, dtype=np.uint32))


def with_nan(array, index):
    array = np.array(array, dtype=np.float32)
    array[index] = np.nan
    return array


@pytest.mark.parametrize(
    "change, message",
    [
        (dict(stones=np.zeros((3, 16, 2))), r"stones must have shape \(4, 16, 2\) or \(16, 2\), not \(3, 16, 2\)"),
        (dict(stones=with_nan(positions(4), (2, 5, 1))), r"stones\[2, 5, 1\] is nan"),
        (dict(vectors=np.zeros((4, 3))), r"vectors must have shape \(B, 2\)"),
        (dict(vectors=with_nan(throws(4)[1], (3, 0))), r"vectors\[3, 0\] is nan"),
        (dict(shot_index=[0, 1, 16, 2]), r"shot_index\[2\] must be from 0 to 15, not 16"),
        (dict(shot_index=-1), r"shot_index must be from 0 to 15, not -1"),
        (dict(errors=np.nan), r"errors must be finite"),
        (dict(spins=[0, 1, 1, 2]), r"spins\[3\] must be 0 or 1"),
        (dict(spins=[0, 1]), r"spins must have shape \(4,\)"),
        (dict(errors=[0.1, np.inf, 0.1, 0.1]), r"errors\[1\] must be finite"),
        (dict(seeds=[1, 2, -3, 4]), r"seeds\[2\] must be from 0"),
        (dict(seeds=[1, 2, 0, 4]), r"seeds\[2\] is 0.*generators"),
        (dict(threads=0), r"threads must be from 1 to 256"),
        (dict(threads=10**6), r"threads must be from 1 to 256"),
        (dict(generators=np.zeros((4, 4), np.int64)), r"generators must have dtype uint64"),
        (dict(generators=np.zeros((3, 4), np.uint64)), r"generators must have shape \(4, 4\)"),
        (dict(out=np.zeros((4, 16, 2), np.float64)), r"out must have dtype float32"),
        (dict(out=np.zeros((4, 2, 16), np.float32)), r"out must have shape \(4, 16, 2\)"),
        (dict(out=np.zeros((4, 16, 4), np.float32)[:, :, :2]), r"out must be C-contiguous"),
    ],
)
def test_bad_input_raises_before_any_throw(change, message):
    arguments = good()
    arguments.update(change)
    out = arguments.get("out")
    with pytest.raises(ValueError, match=message):
        tessival.simulate_batch(**arguments)
    if isinstance(out, np.ndarray):
        assert not out.any()


def test_wrong_kinds_raise_type_error():
    with pytest.raises(TypeError, match="shot_index must hold integers"):
        tessival.simulate_batch(**{**good(), "shot_index": np.full(4, 1.5)})
    with pytest.raises(TypeError, match="seeds must hold integers"):
        tessival.simulate_batch(**{**good(), "seeds": np.ones(4)})
    with pytest.raises(TypeError, match="out must be a numpy array"):
        tessival.simulate_batch(**good(), out=[[0.0] * 2] * 16)
    read_only = np.zeros((4, 16, 2), np.float32)
    read_only.flags.writeable = False
    with pytest.raises(ValueError, match="out must be writable"):
        tessival.simulate_batch(**good(), out=read_only)
