"""Throughput of tessival.simulate_batch from Python beside a plain C++ loop.

Run from the checkout after `cmake --build build --target tessival_python batch_reference`:

    /usr/bin/python3 bench/python_batch.py            # or --build DIR for another build tree

(scripts/bench.sh runs it too, with the interpreter the scripts pick.)

The same throws (positions with a few stones in play, draws and hits toward the
house from create_shot and create_hit_shot, error 0.145, seeds 1..B) are played
by simulate_batch and by build/bin/batch_reference, which reads them from a
file this script writes, for B = 1, 100 and 100 000 at 1 and 2 threads. Prints
throws per second and microseconds per throw for each, the Python / C++ time
ratio at B = 100 000 (target: at most 1.2) and the 2-thread speed-up (target:
at least 1.7), and checks that both sides' positions are bit-identical; the exit status is 1 when
a target is missed or a position differs. Each
time is the best of several passes, the one least disturbed by other work on
a shared machine, taken in rounds that alternate the four measures of a size;
the load average is printed beside them.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

ERROR = 0.145
SIZES = (1, 100, 100_000)
THREADS = (1, 2)
# The four measures of a size are taken in turn, ROUNDS times, so that a burst
# of other work on a shared machine does not fall on one of them alone; each
# turn times PASSES[B] passes.
ROUNDS = 5
PASSES = {1: 400, 100: 40, 100_000: 2}
TARGETS = [(2.375, 4.88), (2.0, 5.4), (2.8, 4.3), (1.9, 6.5), (2.6, 7.5)]


def throws(count, tessival):
    """count throws: 1 to 6 stones in and around the house, then a draw or a hit."""
    rng = np.random.default_rng(2026)
    stones = np.zeros((count, 16, 2), dtype=np.float32)
    shot_index = rng.integers(1, 7, size=count).astype(np.int32)
    for i in range(count):
        placed = shot_index[i]
        stones[i, :placed, 0] = rng.uniform(1.2, 3.5, size=placed)
        stones[i, :placed, 1] = rng.uniform(3.6, 9.0, size=placed)
    spins = rng.integers(0, 2, size=count).astype(np.uint8)
    shots = {}
    for x, y in TARGETS:
        for spin in (0, 1):
            shots[x, y, spin, 0] = tessival.create_shot(x, y, spin)[:2]
            shots[x, y, spin, 1] = tessival.create_hit_shot(x, y, spin)[:2]
    picks = rng.integers(0, len(TARGETS), size=count)
    hits = rng.integers(0, 2, size=count)
    vectors = np.array([shots[(*TARGETS[p], int(s), int(h))] for p, s, h in zip(picks, spins, hits)],
                       dtype=np.float32).reshape(count, 2)
    errors = np.full(count, ERROR, dtype=np.float32)
    seeds = np.arange(1, count + 1, dtype=np.uint32)
    return stones, shot_index, vectors, spins, errors, seeds


def write_throws(path, batch):
    stones, shot_index, vectors, spins, errors, seeds = batch
    with open(path, "wb") as file:
        file.write(np.int64(len(seeds)).astype("<i8").tobytes())
        for array, dtype in ((stones, "<f4"), (shot_index, "<i4"), (vectors, "<f4"), (spins, "u1"),
                             (errors, "<f4"), (seeds, "<u4")):
            file.write(np.ascontiguousarray(array, dtype=dtype).tobytes())


def python_seconds(tessival, batch, threads, passes):
    stones, shot_index, vectors, spins, errors, seeds = batch
    out = np.empty((len(seeds), 16, 2), dtype=np.float32)
    times = []
    for _ in range(passes):
        start = time.perf_counter()
        tessival.simulate_batch(stones, shot_index, vectors, spins, errors, seeds, threads=threads, out=out)
        times.append(time.perf_counter() - start)
    return min(times), out


def cpp_seconds(program, path, threads, passes, out_path):
    result = subprocess.run([program, path, "--threads", str(threads), "--repeats", str(passes), "--out", out_path],
                            check=True, capture_output=True, text=True)
    return float(result.stdout.split()[1])


def report(what, value, relation, target):
    """Prints a figure beside its target; whether it is met."""
    met = value <= target if relation == "<=" else value >= target
    print(f"{what}: {value:.2f} (target {relation} {target}: {'met' if met else 'MISSED'})")
    return met


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default="build", help="the build tree (default: build)")
    arguments = parser.parse_args()
    sys.path.insert(0, os.path.join(arguments.build, "python"))
    import tessival

    program = os.path.join(arguments.build, "bin", "batch_reference")
    rows = {}
    identical = True
    with tempfile.TemporaryDirectory() as folder:
        for count in SIZES:
            batch = throws(count, tessival)
            path = os.path.join(folder, f"throws-{count}.bin")
            write_throws(path, batch)
            out_path = os.path.join(folder, "out.bin")
            for _ in range(ROUNDS):
                for threads in THREADS:
                    python, out = python_seconds(tessival, batch, threads, PASSES[count])
                    cpp = cpp_seconds(program, path, threads, PASSES[count], out_path)
                    identical &= np.array_equal(out, np.fromfile(out_path, dtype="<f4").reshape(out.shape))
                    best = rows.get((count, threads), (python, cpp))
                    rows[count, threads] = min(best[0], python), min(best[1], cpp)

    print(f"load average at the end: {' '.join(f'{load:.2f}' for load in os.getloadavg())} "
          f"on {os.cpu_count()} cores")
    print(f"{'B':>7} {'threads':>7} | {'Python throws/s':>15} {'us/throw':>9} | {'C++ throws/s':>13} "
          f"{'us/throw':>9} | Python/C++")
    for (count, threads), (python, cpp) in rows.items():
        print(f"{count:>7} {threads:>7} | {count / python:>15,.0f} {python / count * 1e6:>9.2f} | "
              f"{count / cpp:>13,.0f} {cpp / count * 1e6:>9.2f} | {python / cpp:>10.2f}")
    largest = SIZES[-1]
    met = identical
    for threads in THREADS:
        python, cpp = rows[largest, threads]
        met &= report(f"Python/C++ time at B = {largest:,}, {threads} thread(s)", python / cpp, "<=", 1.2)
    for side, column in (("Python", 0), ("C++", 1)):
        speedup = rows[largest, 1][column] / rows[largest, 2][column]
        met &= report(f"{side} 2-thread speed-up at B = {largest:,}", speedup, ">=", 1.7)
    print(f"positions after the throws identical in Python and C++: {'yes' if identical else 'NO'}")
    return 0 if met else 1

if __name__ == "__main__":
    sys.exit(main())
