"""The training history beside the weights: OUT/history.json and the plot
OUT/learning_curve.png (train and held-out loss by epoch, calibration)."""

import json
from pathlib import Path

import matplotlib

matplotlib.use("Agg")  # files only, no display needed
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.ticker import MaxNLocator  # noqa: E402


def write_history(out, history, best_epoch):
    text = json.dumps({"best_epoch": best_epoch, "epochs": history}, indent=2)
    Path(out, "history.json").write_text(text + "\n")


def plot(out, history):
    epochs = [entry["epoch"] for entry in history]
    figure, (losses, calibration) = plt.subplots(2, 1, sharex=True, figsize=(7, 6))
    for key, label in (("train_loss", "training"), ("held_out_loss", "held out")):
        losses.plot(epochs, [entry[key] for entry in history], marker="o", label=label)
    losses.set_ylabel("cross-entropy of the end score")
    losses.legend()
    losses.grid(alpha=0.3)
    errors = [entry["calibration_error"] for entry in history]
    errors = [float("nan") if error is None else error for error in errors]
    calibration.plot(epochs, errors, marker="o", color="tab:red")
    calibration.set_ylabel("held-out calibration error\nof the win chance")
    calibration.set_xlabel("epoch")
    calibration.xaxis.set_major_locator(MaxNLocator(integer=True))
    calibration.grid(alpha=0.3)
    figure.tight_layout()
    figure.savefig(Path(out, "learning_curve.png"), dpi=100)
    plt.close(figure)
