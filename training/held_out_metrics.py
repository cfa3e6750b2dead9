"""How well the network does on positions it did not learn from: log-loss of
the end score, and calibration of the chance of winning it implies."""

import numpy as np
import torch

from value_data import RESULT_COLUMN, WIN_COLUMNS, score_classes

CALIBRATION_BINS = 10
MIN_BIN_POSITIONS = 100  # bins with fewer positions are too noisy to judge


def win_chances(probabilities, labels):
    """The predicted chance that the hammer side wins: sum over k of
    P(end score k) * P(win | end score k)."""
    return np.sum(probabilities * labels[:, WIN_COLUMNS], axis=1)


def calibration_error(predicted, observed):
    """The largest |mean predicted - mean observed| over ten equal bins of the
    predicted chance that hold at least MIN_BIN_POSITIONS positions; None when
    no bin does."""
    bins = np.minimum((predicted * CALIBRATION_BINS).astype(np.int64), CALIBRATION_BINS - 1)
    worst = None
    for index in range(CALIBRATION_BINS):
        chosen = bins == index
        if np.count_nonzero(chosen) < MIN_BIN_POSITIONS:
            continue
        gap = float(abs(predicted[chosen].mean() - observed[chosen].mean()))
        worst = gap if worst is None else max(worst, gap)
    return worst


def logits(model, features, batch=8192):
    """The network's outputs for the rows of features, float32."""
    model.eval()
    rows = []
    with torch.no_grad():
        for start in range(0, len(features), batch):
            rows.append(model(torch.from_numpy(features[start:start + batch])).numpy())
    return np.concatenate(rows)


def log_softmax(values):
    shifted = values - values.max(axis=1, keepdims=True)
    return shifted - np.log(np.exp(shifted).sum(axis=1, keepdims=True))


def evaluate(model, data):
    """(held-out log-loss, calibration error) of model on data."""
    log_probs = log_softmax(logits(model, data.features).astype(np.float64))
    classes = score_classes(data.labels)
    log_loss = float(-np.mean(log_probs[np.arange(len(classes)), classes]))
    predicted = win_chances(np.exp(log_probs), data.labels)
    return log_loss, calibration_error(predicted, data.labels[:, RESULT_COLUMN].astype(np.float64))
