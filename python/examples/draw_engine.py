"""A small engine: throw a few draws and hits SAMPLES times each with the thrower's
error, score each outcome as if the end stopped there, play the best on average.
Run it as: pebble-match "python3 draw_engine.py" pebble
"""

import tessival

ERROR = 0.145  # m: pebble-match's default thrower error
SAMPLES = 6


def candidates(situation):
    """Draws around the tee, and hits on every stone of the other side in play."""
    for dx in (-0.6, 0.0, 0.6):
        for dy in (-0.6, 0.0, 0.6):
            for spin in (0, 1):
                yield tessival.create_shot(tessival.TEE_X + dx, tessival.TEE_Y + dy, spin)
    in_play = tessival.in_play(situation.stones)
    for index in situation.other_indices[in_play[situation.other_indices]]:
        x, y = situation.stones[index]
        for spin in (0, 1):
            yield tessival.create_hit_shot(x, y, spin)


def expected_score(situation, shot):
    """The mean points of the end for the side to move after this shot."""
    total = 0
    for _ in range(SAMPLES):
        after = tessival.simulate(situation.stones, situation.shot_index, shot, ERROR)
        total += tessival.end_score(after, situation.side)
    return total / SAMPLES


def decide(situation):
    return max(candidates(situation), key=lambda shot: expected_score(situation, shot))


if __name__ == "__main__":
    tessival.engine.run(decide)
