"""The training run's state in OUT/checkpoint.pt, saved after every epoch so
that rerunning the same command continues after the last finished epoch."""

import os
import random

import numpy as np
import torch

CHECKPOINT_NAME = "checkpoint.pt"


def capture_random_states():
    return {
        "python": random.getstate(),
        "numpy": np.random.get_state(),
        "torch": torch.get_rng_state(),
    }


def restore_random_states(states):
    random.setstate(states["python"])
    np.random.set_state(states["numpy"])
    torch.set_rng_state(states["torch"])


def save(path, state):
    # Written beside and renamed over, so a kill leaves the last whole checkpoint.
    partial = f"{path}.partial"
    torch.save(state, partial)
    with open(partial, "rb") as written:
        os.fsync(written.fileno())
    os.replace(partial, path)


def load(path):
    """The saved state, or None when there is none."""
    if not os.path.exists(path):
        return None
    # It holds the random generators' states, not tensors alone.
    return torch.load(path, map_location="cpu", weights_only=False)


def check_compatible(saved_run, run):
    """Refuses to continue a checkpoint made for another network or data."""
    for key in ("hidden", "held_out", "training_files", "held_out_files"):
        if saved_run[key] != run[key]:
            raise ValueError(
                f"the checkpoint was made with another {key.replace('_', ' ')} "
                f"({saved_run[key]!r}, now {run[key]!r}): remove it or choose another --out")
