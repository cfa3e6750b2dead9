"""The value network's data: the .npy files `granite-data extract` writes.

A data folder holds, per record, PREFIX-features.npy (N x the network's
inputs, as many as granite-data writes), PREFIX-labels.npy (N x 19) and
PREFIX-positions.npy (N x 36), little-endian float32, one row per position
before a shot of a complete end.
"""

import fnmatch
from dataclasses import dataclass
from pathlib import Path

import numpy as np

LABEL_COUNT = 19
POSITION_COLUMNS = 36
MAX_END_SCORE = 8
END_SCORES = 2 * MAX_END_SCORE + 1

SCORE_COLUMN = 0  # the end's score for the hammer side, -8..8
RESULT_COLUMN = 1  # the game's result for the hammer side: 1, 0.5 or 0
WIN_COLUMNS = slice(2, 2 + END_SCORES)  # P(win) if the end scores k, k = -8..8
SHOT_COLUMN = 32  # of a positions row: the shot index

FEATURES_SUFFIX = "-features.npy"


@dataclass
class DataSet:
    features: np.ndarray
    labels: np.ndarray
    positions: np.ndarray | None
    files: list[str]

    def __len__(self):
        return len(self.features)

    @property
    def feature_count(self):
        return self.features.shape[1]


def prefixes(folder):
    """Every PREFIX of PREFIX-features.npy in folder, sorted by name."""
    found = sorted(Path(folder).glob("*" + FEATURES_SUFFIX))
    if not found:
        raise ValueError(f"no *{FEATURES_SUFFIX} files in {folder}")
    return [str(path)[: -len(FEATURES_SUFFIX)] for path in found]


def split_by_file(all_prefixes, held_out_pattern):
    """(training, held-out) prefixes: held out are those whose features file
    name matches the pattern. Rows of one game are correlated, so the split is
    by file, never by row."""
    held_out = [p for p in all_prefixes if _matches(p, held_out_pattern)]
    training = [p for p in all_prefixes if p not in held_out]
    if not held_out:
        raise ValueError(f"no data file matches the held-out pattern {held_out_pattern!r}")
    if not training:
        raise ValueError(f"every data file matches the held-out pattern {held_out_pattern!r}")
    return training, held_out


def split_folder(folder, held_out_pattern=None):
    """(training, held-out) prefixes of a data folder; without a pattern the
    last file by name is held out."""
    all_prefixes = prefixes(folder)
    if held_out_pattern is not None:
        return split_by_file(all_prefixes, held_out_pattern)
    if len(all_prefixes) < 2:
        raise ValueError(f"{folder} holds one data file: nothing to hold out")
    return all_prefixes[:-1], all_prefixes[-1:]


def _matches(prefix, pattern):
    return fnmatch.fnmatchcase(Path(prefix).name + FEATURES_SUFFIX, pattern)


def load(prefix_list, with_positions=False):
    """The rows of every prefix, one file after the other; every features file
    has as many columns as the first."""
    inputs = np.load(prefix_list[0] + FEATURES_SUFFIX, mmap_mode="r").shape[-1]
    features = [_array(p + FEATURES_SUFFIX, inputs) for p in prefix_list]
    labels = [_array(p + "-labels.npy", LABEL_COUNT) for p in prefix_list]
    for prefix, f, lab in zip(prefix_list, features, labels):
        if len(f) != len(lab):
            raise ValueError(f"{prefix}: {len(f)} feature rows but {len(lab)} label rows")
    positions = None
    if with_positions:
        positions = _concatenate(
            [_array(p + "-positions.npy", POSITION_COLUMNS) for p in prefix_list])
        if len(positions) != sum(len(f) for f in features):
            raise ValueError("the positions files do not have one row per feature row")
    return DataSet(_concatenate(features), _concatenate(labels), positions, list(prefix_list))


def _array(path, columns):
    # Memory-mapped, so only the concatenated copy is held in memory.
    array = np.load(path, mmap_mode="r")
    if array.dtype != np.dtype("<f4") or array.ndim != 2 or array.shape[1] != columns:
        raise ValueError(f"{path}: expected N x {columns} little-endian float32, "
                         f"found {array.shape} {array.dtype}")
    return array


def _concatenate(arrays):
    return np.ascontiguousarray(np.concatenate(arrays, axis=0))


def score_classes(labels):
    """The class of each row's end score: k + 8 for a score of k."""
    scores = np.clip(np.rint(labels[:, SCORE_COLUMN]), -MAX_END_SCORE, MAX_END_SCORE)
    return scores.astype(np.int64) + MAX_END_SCORE
