"""The rules of a position on hand-built positions."""

import numpy as np
import pytest

import tessival

TEE = (tessival.TEE_X, tessival.TEE_Y)


def position(**stones):
    """stones given as s<index>=(x, y); the rest out of play."""
    array = np.zeros((16, 2), dtype=np.float32)
    for name, point in stones.items():
        array[int(name[1:])] = point
    return array


def test_measures_are_the_libraries():
    assert tessival.HOUSE_REACH == pytest.approx(tessival.HOUSE_RADIUS + tessival.STONE_RADIUS)
    assert (tessival.TEE_X, tessival.RELEASE_X) == (2.375, 2.375)
    assert tessival.SHEET_WIDTH == 4.75 and tessival.BACK_LINE_Y < tessival.TEE_Y < tessival.HOG_LINE_Y
    assert (tessival.STONE_COUNT, tessival.FREE_GUARD_ZONE_LAST_STONE) == (16, 4)


def test_steal_counts_for_the_side_without_the_hammer():
    # Side 0 holds two stones nearer than side 1's nearest; a third of its own lies outside the house.
    stones = position(s0=(2.4, 4.9), s2=(2.0, 5.2), s4=(0.3, 12.0), s1=(3.3, 5.6), s3=(2.375, 7.0))
    assert tessival.end_score(stones, 0) == 2
    assert tessival.end_score(stones, 1) == -2


def test_blank_end_and_equal_nearest_score_nothing():
    assert tessival.end_score(position(), 0) == 0
    outside = position(s0=(2.375, 8.0), s1=(0.3, 4.88))
    assert tessival.end_score(outside, 1) == 0
    tied = position(s0=(2.375 - 0.5, 4.88), s1=(2.375 + 0.5, 4.88))
    assert tessival.end_score(tied, 0) == 0


def test_house_edge_counts_a_stone_touching_it():
    reach = tessival.HOUSE_REACH
    stones = position(s0=(2.375, 4.88 + reach - 0.01), s1=(2.375, 4.88 + reach + 0.01))
    assert list(tessival.in_house(stones)[:3]) == [True, False, False]
    assert list(tessival.in_play(stones)[:3]) == [True, True, False]
    assert tessival.end_score(stones, 0) == 1


def test_guard_in_the_free_guard_zone():
    stones = position(
        s0=(2.375, 8.0),  # centre guard
        s1=(2.375, 4.88 + 1.9),  # over the house: not a guard
        s2=(2.375, 12.0),  # short of the hog line
        s3=(2.375, 4.5),  # behind the tee line
    )
    zone = tessival.in_free_guard_zone(stones)
    assert zone.dtype == bool and zone.shape == (16,)
    assert list(zone[:5]) == [True, False, False, False, False]


def test_free_guard_zone_protects_the_other_sides_guards_early():
    assert tessival.free_guard_zone_protects(0, 1)
    assert tessival.free_guard_zone_protects(4, 3)
    assert not tessival.free_guard_zone_protects(4, 2)
    assert not tessival.free_guard_zone_protects(5, 2)
    with pytest.raises(ValueError, match="guard"):
        tessival.free_guard_zone_protects(0, 16)


def test_rules_refuse_bad_positions():
    with pytest.raises(ValueError, match="side"):
        tessival.end_score(position(), 2)
    with pytest.raises(ValueError, match="stones"):
        tessival.in_house(np.zeros((16, 3)))
    with pytest.raises(ValueError, match="stones"):
        tessival.in_play(np.full((16, 2), np.inf))
