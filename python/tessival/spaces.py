"""Spaces of observations and actions, shaped like the reinforcement-learning
libraries' Box so that agents written for them read these unchanged; numpy
only."""

import numpy as np


class Box:
    """A box of arrays: every element between its bounds low and high.

    shape, dtype, low and high are as the libraries' Box has them. integral
    is a boolean array of the same shape: the elements that take whole values
    only (a shot's spin, 0 or 1); sample() draws those uniformly among the
    whole numbers of their range and contains() requires them whole.
    """

    def __init__(self, low, high, shape=None, dtype=np.float32, integral=None):
        self.dtype = np.dtype(dtype)
        if shape is None:
            shape = np.shape(low)
        self.shape = tuple(shape)
        self.low = np.broadcast_to(np.asarray(low, dtype=self.dtype), self.shape).copy()
        self.high = np.broadcast_to(np.asarray(high, dtype=self.dtype), self.shape).copy()
        if np.any(self.low > self.high):
            raise ValueError("low must not exceed high")
        if integral is None:
            integral = False
        self.integral = np.broadcast_to(np.asarray(integral, dtype=bool), self.shape).copy()

    def sample(self, rng=None):
        """A uniform draw from the box with rng (a numpy Generator, or a seed for one)."""
        rng = np.random.default_rng(rng)
        value = rng.uniform(self.low, self.high)
        mask = self.integral
        value[mask] = rng.integers(np.ceil(self.low[mask]), np.floor(self.high[mask]), endpoint=True)
        return value.astype(self.dtype)

    def contains(self, x):
        """True when x has the box's shape, lies within its bounds and is whole where required."""
        try:
            array = np.asarray(x, dtype=self.dtype)
        except (TypeError, ValueError):
            return False
        if array.shape != self.shape or not np.all(np.isfinite(array)):
            return False
        if np.any(array < self.low) or np.any(array > self.high):
            return False
        return bool(np.all(~self.integral | (array == np.round(array))))

    def __contains__(self, x):
        return self.contains(x)

    def __repr__(self):
        return f"Box({self.low.min()}, {self.high.max()}, {self.shape}, {self.dtype})"
