"""Writes a trained value network for granite, beside the training run:

  value_network.bin         the weights in granite's GVN1 format
  value_network_check.txt   8 held-out positions and PyTorch's outputs for them
  value_network.sha256      the weights' digest, in sha256sum's format

and checks that the written weights, read back and evaluated with numpy, give
what PyTorch gives. Run alone, it exports the best network of a checkpoint:

  python3 training/export_weights.py OUT/checkpoint.pt [--data DIR] [--held-out GLOB] [--out DIR]
"""

import argparse
import hashlib
import os
import struct
import sys
from pathlib import Path

import numpy as np
import torch

import checkpoint
import value_data
from value_model import build_model, linear_layers

MAGIC = b"GVN1"
WEIGHTS_NAME = "value_network.bin"
CHECK_NAME = "value_network_check.txt"
DIGEST_NAME = "value_network.sha256"
CHECK_POSITIONS = 8
SHOTS_PER_END = 16


def gvn1_bytes(model):
    """Little-endian: magic, layer count, then per layer inputs, outputs,
    weights[outputs][inputs] (nn.Linear's own layout) and bias[outputs]."""
    layers = linear_layers(model)
    parts = [MAGIC, struct.pack("<I", len(layers))]
    for layer in layers:
        weight = layer.weight.detach().numpy().astype("<f4")
        bias = layer.bias.detach().numpy().astype("<f4")
        parts.append(struct.pack("<II", weight.shape[1], weight.shape[0]))
        parts += [weight.tobytes(order="C"), bias.tobytes()]
    return b"".join(parts)


def read_gvn1(data):
    """The (weight[outputs][inputs], bias) of each layer of a GVN1 file."""
    if data[:4] != MAGIC:
        raise ValueError("not a GVN1 weights file")
    (count,) = struct.unpack_from("<I", data, 4)
    offset = 8
    layers = []
    for _ in range(count):
        inputs, outputs = struct.unpack_from("<II", data, offset)
        offset += 8
        weight = np.frombuffer(data, "<f4", inputs * outputs, offset).reshape(outputs, inputs)
        offset += 4 * inputs * outputs
        bias = np.frombuffer(data, "<f4", outputs, offset)
        offset += 4 * outputs
        layers.append((weight, bias))
    if offset != len(data):
        raise ValueError(f"{len(data) - offset} bytes after the last layer")
    return layers


def numpy_probabilities(layers, features):
    """The network's softmax outputs in float32, from the file's layers alone."""
    values = np.asarray(features, dtype=np.float32)
    for index, (weight, bias) in enumerate(layers):
        values = values @ weight.T + bias
        if index + 1 < len(layers):
            values = np.maximum(values, np.float32(0))
    values = values - values.max(axis=1, keepdims=True)
    exponentials = np.exp(values)
    return exponentials / exponentials.sum(axis=1, keepdims=True)


def torch_probabilities(model, features):
    model.eval()
    with torch.no_grad():
        logits = model(torch.from_numpy(np.asarray(features, dtype=np.float32)))
        return torch.softmax(logits, dim=1).numpy()


def check_rows(positions):
    """CHECK_POSITIONS distinct rows spread over the shot indices (0, 2, 4, 6,
    9, 11, 13, 15, or the nearest present) and over the rows of each."""
    if len(positions) < CHECK_POSITIONS:
        raise ValueError(f"the held-out files hold {len(positions)} positions, "
                         f"fewer than {CHECK_POSITIONS}")
    shots = positions[:, value_data.SHOT_COLUMN].astype(np.int64)
    targets = np.rint(np.linspace(0, SHOTS_PER_END - 1, CHECK_POSITIONS)).astype(np.int64)
    chosen = []
    for index, target in enumerate(targets):
        distance = np.abs(shots - target).astype(np.float64)
        distance[chosen] = np.inf
        candidates = np.flatnonzero(distance == distance.min())
        chosen.append(int(candidates[len(candidates) * (2 * index + 1) // (2 * CHECK_POSITIONS)]))
    return chosen


def check_text(positions, probabilities):
    lines = [
        "# The value network's check: each line is a positions.npy row (32 stone coordinates,",
        "# shotIndex, currentEnd, lastEnd, hammerLead), then the 17 probabilities PyTorch",
        "# computed in float32 that the hammer side scores k = -8..8 in the end.",
    ]
    for row, probs in zip(positions, probabilities):
        lines.append(" ".join(format(float(value), ".9g") for value in (*row, *probs)))
    return "\n".join(lines) + "\n"


def check_round_trip(data, model, features, expected):
    """The written bytes hold the model's parameters bit for bit, and numpy
    evaluates them to PyTorch's outputs."""
    layers = read_gvn1(data)
    originals = linear_layers(model)
    if len(layers) != len(originals):
        raise RuntimeError("the weights file does not hold every layer")
    for (weight, bias), layer in zip(layers, originals):
        if not (np.array_equal(weight, layer.weight.detach().numpy())
                and np.array_equal(bias, layer.bias.detach().numpy())):
            raise RuntimeError("the weights file does not hold the model's parameters")
    recomputed = numpy_probabilities(layers, features)
    if not np.allclose(recomputed, expected, rtol=1e-4, atol=1e-6):
        worst = float(np.max(np.abs(recomputed - expected)))
        raise RuntimeError("numpy's outputs from the weights file differ from PyTorch's "
                           f"by up to {worst}")


def export(model, held_out, out):
    """Writes the three files for model into out, the check positions taken
    from held_out (a DataSet with positions); returns the weights' path."""
    rows = check_rows(held_out.positions)
    features = held_out.features[rows]
    probabilities = torch_probabilities(model, features)
    data = gvn1_bytes(model)
    check_round_trip(data, model, features, probabilities)
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    _write(out / WEIGHTS_NAME, data)
    _write(out / CHECK_NAME, check_text(held_out.positions[rows], probabilities).encode())
    _write(out / DIGEST_NAME, f"{hashlib.sha256(data).hexdigest()}  {WEIGHTS_NAME}\n".encode())
    return out / WEIGHTS_NAME


def _write(path, data):
    # Renamed over the old file, so a kill never leaves half a file.
    partial = path.with_name(path.name + ".partial")
    partial.write_bytes(data)
    os.replace(partial, path)


def export_checkpoint(path, data_folder=None, pattern=None, out=None):
    saved = checkpoint.load(path)
    if saved is None:
        raise ValueError(f"{path} does not exist")
    run = saved["run"]
    if saved["best_model"] is None:
        raise ValueError(f"{path} holds no finished epoch")
    _, held = value_data.split_folder(data_folder or run["data"], pattern or run["held_out"])
    held_out = value_data.load(held, with_positions=True)
    model = build_model(held_out.feature_count, tuple(run["hidden"]))
    model.load_state_dict(saved["best_model"])
    return export(model, held_out, out or Path(path).parent)


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Export the best network of a training checkpoint for granite.")
    parser.add_argument("checkpoint", help="OUT/checkpoint.pt of train_value.py")
    parser.add_argument("--data", help="the data folder (default: the one it was trained on)")
    parser.add_argument("--held-out",
                        help="pattern of the held-out files (default: the training's)")
    parser.add_argument("--out",
                        help="where to write the files (default: the checkpoint's folder)")
    args = parser.parse_args(argv)
    try:
        weights = export_checkpoint(args.checkpoint, args.data, args.held_out, args.out)
    except (OSError, ValueError, RuntimeError) as error:
        sys.exit(f"export_weights.py: {error}")
    print(f"Wrote {weights}")


if __name__ == "__main__":
    main()
