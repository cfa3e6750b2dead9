"""Checks of the value network's trainer (training/) that need no pytest:

  python3 tests/training/value_training_check.py

Data folders are made here with numpy in the layout granite-data writes."""

import hashlib
import struct
import sys
import tempfile
import unittest
from pathlib import Path

import numpy as np
import torch

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "training"))

import checkpoint  # noqa: E402
import export_weights  # noqa: E402
import held_out_metrics  # noqa: E402
import train_value  # noqa: E402
import value_data  # noqa: E402
from value_model import build_model, linear_layers  # noqa: E402


def write_shard(folder, name, rows, seed):
    """A learnable shard: the end score follows the first stone slot's dx."""
    generator = np.random.default_rng(seed)
    shots = np.arange(rows) % 16
    features = np.zeros((rows, 83), np.float32)
    features[np.arange(rows), shots] = 1
    features[:, 19:] = generator.normal(size=(rows, 64))
    scores = np.clip(np.rint(2 * features[:, 20]), -8, 8)
    labels = np.zeros((rows, 19), np.float32)
    labels[:, 0] = scores
    labels[:, 2:] = np.linspace(0.05, 0.95, 17)
    labels[:, 1] = generator.random(rows) < labels[np.arange(rows), (scores + 10).astype(int)]
    positions = generator.normal(size=(rows, 36)).astype(np.float32)
    positions[:, 32] = shots
    for suffix, array in (("features", features), ("labels", labels), ("positions", positions)):
        np.save(Path(folder, f"{name}-{suffix}.npy"), array)


def make_data(folder, shards=3, rows=400):
    for index in range(1, shards + 1):
        write_shard(folder, f"shard-{index}", rows, index)


class DataFiles(unittest.TestCase):
    def test_held_out_by_file_name(self):
        with tempfile.TemporaryDirectory() as folder:
            make_data(folder, shards=3, rows=40)
            training, held = value_data.split_folder(folder, "shard-3-*")
            self.assertEqual([Path(p).name for p in training], ["shard-1", "shard-2"])
            self.assertEqual([Path(p).name for p in held], ["shard-3"])
            self.assertEqual(value_data.split_folder(folder)[1], held)
            data = value_data.load(training)
            self.assertEqual(data.features.shape, (80, 83))
            self.assertIsNone(data.positions)

    def test_refuses_what_cannot_be_trained_on(self):
        with tempfile.TemporaryDirectory() as folder:
            make_data(folder, shards=2, rows=40)
            for pattern in ("shard-9-*", "shard-*"):
                with self.assertRaises(ValueError):
                    value_data.split_folder(folder, pattern)
            np.save(Path(folder, "shard-2-labels.npy"), np.zeros((39, 19), np.float32))
            with self.assertRaisesRegex(ValueError, "label rows"):
                value_data.load([str(Path(folder, "shard-2"))])
            np.save(Path(folder, "shard-1-features.npy"), np.zeros((40, 83), np.float64))
            with self.assertRaisesRegex(ValueError, "float32"):
                value_data.load([str(Path(folder, "shard-1"))])

    def test_score_classes_clamp_to_the_outputs(self):
        labels = np.zeros((4, 19), np.float32)
        labels[:, 0] = [-8, 0, 3, 8]
        self.assertEqual(value_data.score_classes(labels).tolist(), [0, 8, 11, 16])


class Calibration(unittest.TestCase):
    def test_largest_gap_among_full_bins(self):
        predicted = np.concatenate([np.full(100, 0.15), np.full(100, 0.75), np.full(99, 0.95)])
        observed = np.concatenate(
            [np.full(100, 0.2), np.full(50, 1.0), np.full(50, 0.0), np.zeros(99)])
        # Bin 9 is off by 0.95 but too small to count; bin 7 is off by 0.25.
        self.assertAlmostEqual(held_out_metrics.calibration_error(predicted, observed), 0.25)
        self.assertIsNone(held_out_metrics.calibration_error(predicted[:99], observed[:99]))

    def test_win_chance_weights_each_score(self):
        probabilities = np.zeros((1, 17))
        probabilities[0, [7, 9]] = 0.5
        labels = np.zeros((1, 19))
        labels[0, 2:] = np.arange(17) / 16
        self.assertAlmostEqual(held_out_metrics.win_chances(probabilities, labels)[0], 0.5)


class WeightsFile(unittest.TestCase):
    def test_layout_is_what_granite_reads(self):
        torch.manual_seed(3)
        model = build_model(83, (5,))
        data = export_weights.gvn1_bytes(model)
        first, last = linear_layers(model)
        self.assertEqual(data[:4], b"GVN1")
        self.assertEqual(struct.unpack_from("<III", data, 4), (2, 83, 5))
        weights = np.frombuffer(data, "<f4", 83 * 5, 16)
        # Row-major [outputs][inputs]: the second float is output 0's weight of input 1.
        self.assertEqual(weights[1], first.weight[0, 1].item())
        self.assertEqual(weights[83], first.weight[1, 0].item())
        bias = np.frombuffer(data, "<f4", 5, 16 + 4 * 83 * 5)
        self.assertTrue(np.array_equal(bias, first.bias.detach().numpy()))
        self.assertEqual(len(data), 8 + 8 + 4 * (83 * 5 + 5) + 8 + 4 * (5 * 17 + 17))
        features = np.random.default_rng(1).normal(size=(6, 83)).astype(np.float32)
        expected = export_weights.torch_probabilities(model, features)
        recomputed = export_weights.numpy_probabilities(export_weights.read_gvn1(data), features)
        self.assertTrue(np.allclose(recomputed, expected, rtol=1e-5, atol=1e-7))
        self.assertEqual(last.out_features, 17)

    def test_round_trip_catches_a_changed_weight(self):
        model = build_model(83, (4,))
        features = np.ones((2, 83), np.float32)
        expected = export_weights.torch_probabilities(model, features)
        data = bytearray(export_weights.gvn1_bytes(model))
        data[20:24] = struct.pack("<f", 7.0)
        with self.assertRaises(RuntimeError):
            export_weights.check_round_trip(bytes(data), model, features, expected)

    def test_check_positions_spread_over_shots(self):
        positions = np.zeros((64, 36), np.float32)
        positions[:, 32] = np.arange(64) % 8  # only shots 0..7 present
        rows = export_weights.check_rows(positions)
        self.assertEqual(len(set(rows)), 8)
        self.assertEqual(sorted(positions[rows, 32].tolist()), [0, 2, 4, 6, 7, 7, 7, 7])


class Training(unittest.TestCase):
    def train(self, data, out, epochs, *extra):
        train_value.run(train_value.parse_args(
            ["--data", data, "--out", out, "--epochs", str(epochs), "--hidden", "8",
             "--threads", "1", "--batch", "64", "--held-out", "shard-3-*", *extra]))
        return checkpoint.load(Path(out, "checkpoint.pt"))

    def test_resumed_run_equals_uninterrupted_one_and_exports(self):
        with tempfile.TemporaryDirectory() as folder:
            data = str(Path(folder, "data"))
            Path(data).mkdir()
            make_data(data)
            straight = self.train(data, str(Path(folder, "a")), 2)
            self.train(data, str(Path(folder, "b")), 1)
            resumed = self.train(data, str(Path(folder, "b")), 2)
            self.assertEqual(straight["history"][1]["train_loss"],
                             resumed["history"][1]["train_loss"])
            for name, tensor in straight["model"].items():
                self.assertTrue(torch.equal(tensor, resumed["model"][name]), name)
            again = self.train(data, str(Path(folder, "b")), 2)
            self.assertEqual(again["history"], resumed["history"])
            self.assertLess(resumed["history"][-1]["held_out_loss"], np.log(17))
            self.check_exported(Path(folder, "b"), data)
            with self.assertRaisesRegex(ValueError, "hidden"):
                self.train(data, str(Path(folder, "b")), 3, "--hidden", "9")

    def check_exported(self, out, data):
        weights = (out / "value_network.bin").read_bytes()
        digest = (out / "value_network.sha256").read_text()
        self.assertEqual(digest, f"{hashlib.sha256(weights).hexdigest()}  value_network.bin\n")
        rows = [line.split() for line in (out / "value_network_check.txt").read_text().splitlines()
                if not line.startswith("#")]
        self.assertEqual([len(row) for row in rows], [36 + 17] * 8)
        held_positions = np.load(Path(data, "shard-3-positions.npy"))
        for row in rows:
            values = np.array(row, dtype=np.float32)
            self.assertTrue((held_positions == values[:36]).all(axis=1).any())
            self.assertAlmostEqual(float(values[36:].sum()), 1.0, places=5)
        self.assertTrue((out / "learning_curve.png").stat().st_size > 0)


if __name__ == "__main__":
    unittest.main()
