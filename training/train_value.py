"""Trains granite's value network on the data `granite-data extract` writes,
and exports the best held-out network for granite (see export_weights.py).

  python3 training/train_value.py --data DIR --out DIR [--held-out GLOB] [--epochs N] ...

Every epoch is checkpointed in OUT/checkpoint.pt; the same command run again
continues after the last finished epoch.
"""

import argparse
import copy
import math
import random
import sys
import time
from pathlib import Path

import numpy as np
import torch
import torch.nn.functional as F
from tqdm import tqdm

import checkpoint
import export_weights
import learning_curve
import value_data
from held_out_metrics import evaluate
from value_model import build_model, parse_hidden


def parse_args(argv):
    parser = argparse.ArgumentParser(
        description="Train granite's value network and export its weights.")
    add = parser.add_argument
    add("--data", required=True,
        help="folder of PREFIX-features.npy, PREFIX-labels.npy and PREFIX-positions.npy")
    add("--out", required=True, help="folder for the checkpoint, the weights and the curves")
    add("--held-out", metavar="GLOB",
        help="data files held out for judging, by name, e.g. 'shard-4-*' (default: the last)")
    add("--epochs", type=int, default=30, help="epochs in all, resumed ones included (default 30)")
    add("--batch", type=int, default=512, help="positions per step (default 512)")
    add("--lr", type=float, default=1e-3, help="Adam's learning rate (default 1e-3)")
    add("--weight-decay", type=float, default=1e-4, help="Adam's weight decay (default 1e-4)")
    add("--hidden", type=_hidden, default=(64, 64), help="hidden widths (default 64,64)")
    add("--seed", type=int, default=1, help="seed of every random generator (default 1)")
    add("--threads", type=int, default=2, help="PyTorch's threads (default 2)")
    add("--max-minutes", type=float,
        help="start no epoch after this many minutes; run again to continue")
    args = parser.parse_args(argv)
    if args.epochs < 1 or args.batch < 1 or args.threads < 1:
        parser.error("--epochs, --batch and --threads must be at least 1")
    return args


def _hidden(text):
    try:
        return parse_hidden(text)
    except ValueError as error:
        raise argparse.ArgumentTypeError(str(error)) from None


def seed_everything(seed):
    random.seed(seed)
    np.random.seed(seed)
    torch.manual_seed(seed)


def describe_run(args, training, held_out):
    """What a checkpoint must agree with to be continued."""
    return {
        "hidden": list(args.hidden),
        "held_out": args.held_out,
        "training_files": [Path(p).name for p in training],
        "held_out_files": [Path(p).name for p in held_out],
        "data": str(Path(args.data).resolve()),
    }


def fresh_state(run):
    return {"run": run, "epoch": 0, "history": [],
            "best_loss": math.inf, "best_epoch": None, "best_model": None}


def resume(path, run, model, optimiser):
    """The saved state, with model, optimiser and the random generators set
    back to it; a fresh state when there is no checkpoint."""
    saved = checkpoint.load(path)
    if saved is None:
        return fresh_state(run)
    checkpoint.check_compatible(saved["run"], run)
    model.load_state_dict(saved["model"])
    optimiser.load_state_dict(saved["optimiser"])
    checkpoint.restore_random_states(saved["random"])
    print(f"== Resuming from {path} after epoch {saved['epoch']}")
    saved["run"] = run
    return saved


def train_epoch(model, optimiser, features, classes, batch, progress):
    """One pass over the training rows in a fresh random order; the mean loss."""
    model.train()
    order = torch.randperm(len(features))
    total = 0.0
    for start in range(0, len(order), batch):
        chosen = order[start:start + batch]
        loss = F.cross_entropy(model(features[chosen]), classes[chosen])
        optimiser.zero_grad()
        loss.backward()
        optimiser.step()
        total += loss.item() * len(chosen)
        progress.update(1)
    return total / len(order)


def record_epoch(state, model, optimiser, entry):
    state["epoch"] = entry["epoch"]
    state["history"].append(entry)
    if entry["held_out_loss"] < state["best_loss"]:
        state["best_loss"] = entry["held_out_loss"]
        state["best_epoch"] = entry["epoch"]
        state["best_model"] = copy.deepcopy(model.state_dict())
    state["model"] = model.state_dict()
    state["optimiser"] = optimiser.state_dict()
    state["random"] = checkpoint.capture_random_states()


def train(args, state, model, optimiser, training, held_out, out):
    features = torch.from_numpy(training.features)
    classes = torch.from_numpy(value_data.score_classes(training.labels))
    steps = math.ceil(len(features) / args.batch)
    deadline = None if args.max_minutes is None else time.monotonic() + 60 * args.max_minutes
    epochs = range(state["epoch"] + 1, args.epochs + 1)
    for epoch in tqdm(epochs, desc="epochs", unit="epoch", disable=None):
        if deadline is not None and time.monotonic() >= deadline:
            tqdm.write(f"== Stopping after {args.max_minutes} minutes; "
                       "run the same command to continue")
            break
        started = time.monotonic()
        bar = tqdm(total=steps, desc=f"epoch {epoch}", unit="step", leave=False, disable=None)
        with bar:
            train_loss = train_epoch(model, optimiser, features, classes, args.batch, bar)
        held_out_loss, calibration = evaluate(model, held_out)
        entry = {"epoch": epoch, "train_loss": train_loss, "held_out_loss": held_out_loss,
                 "calibration_error": calibration, "seconds": round(time.monotonic() - started, 3)}
        record_epoch(state, model, optimiser, entry)
        checkpoint.save(out / checkpoint.CHECKPOINT_NAME, state)
        learning_curve.write_history(out, state["history"], state["best_epoch"])
        learning_curve.plot(out, state["history"])
        tqdm.write(describe_epoch(entry))


def describe_epoch(entry):
    calibration = entry["calibration_error"]
    calibration = "n/a (no bin of 100 positions)" if calibration is None else f"{calibration:.4f}"
    return (f"epoch {entry['epoch']}: training loss {entry['train_loss']:.4f}, "
            f"held-out loss {entry['held_out_loss']:.4f}, "
            f"calibration error {calibration} ({entry['seconds']:.1f} s)")


def run(args):
    torch.set_num_threads(args.threads)
    training_files, held_out_files = value_data.split_folder(args.data, args.held_out)
    training = value_data.load(training_files)
    held_out = value_data.load(held_out_files, with_positions=True)
    print(f"== Training on {len(training)} positions from {len(training_files)} files, "
          f"judging on {len(held_out)} from {', '.join(Path(p).name for p in held_out_files)}")
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    seed_everything(args.seed)
    if training.feature_count != held_out.feature_count:
        raise ValueError(f"the training files have {training.feature_count} inputs, "
                         f"the held-out ones {held_out.feature_count}")
    model = build_model(training.feature_count, args.hidden)
    optimiser = torch.optim.Adam(model.parameters(), lr=args.lr, weight_decay=args.weight_decay)
    described = describe_run(args, training_files, held_out_files)
    state = resume(out / checkpoint.CHECKPOINT_NAME, described, model, optimiser)
    train(args, state, model, optimiser, training, held_out, out)
    if state["best_model"] is None:
        raise ValueError("no epoch finished, so there is nothing to export")
    model.load_state_dict(state["best_model"])
    weights = export_weights.export(model, held_out, out)
    print(f"== Wrote {weights}: the network of epoch {state['best_epoch']}, "
          f"held-out loss {state['best_loss']:.4f}")


def main(argv=None):
    args = parse_args(argv)
    try:
        run(args)
    except (OSError, ValueError, RuntimeError) as error:
        sys.exit(f"train_value.py: {error}")


if __name__ == "__main__":
    main()
