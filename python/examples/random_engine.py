"""An engine that draws to a random point in or near the house, with a random spin.

Run it as an engine: pebble-match "python3 random_engine.py [SEED]" pebble
(SEED, an integer, makes its choices repeatable; default 1).
"""

import random
import sys

import tessival

rng = random.Random(int(sys.argv[1]) if len(sys.argv) > 1 else 1)


def decide(situation):
    """A draw to a uniform point of a box around the house, in front of the back line."""
    x = rng.uniform(tessival.TEE_X - 2.0, tessival.TEE_X + 2.0)
    y = rng.uniform(tessival.TEE_Y - 1.5, tessival.TEE_Y + 3.0)
    return tessival.create_shot(x, y, rng.randint(0, 1))


if __name__ == "__main__":
    tessival.engine.run(decide)
