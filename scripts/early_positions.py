#!/usr/bin/env python3
"""Picks start positions from the first ends of self-play games.

Prints JSON Lines for pebble-match --positions: positions/early_ends.jsonl is
this script's output with its defaults, which play a short seeded match of
granite against granite (the command is in RUN below) and read its record.

  scripts/early_positions.py [COUNT]                  > positions/early_ends.jsonl
  scripts/early_positions.py [COUNT] --records RECORD...   (games already played)

Each candidate is a position sent to an engine in the first two ends with two
or more stones in play. Candidates are sorted into kinds by how many guards
and how many house stones each side has, and the kinds are taken in turn, so
that the set is varied rather than mostly the commonest kind. Side 0 is the
game's engine A; the name says where the position came from and what lies.
"""
import json
import os
import subprocess
import sys
import tempfile
from collections import defaultdict

TEE = (2.375, 4.88)
HOUSE_REACH = 1.975  # no part of a stone farther from the tee is over the house
HOG_LINE_Y = 11.28
FIRST_ENDS = 2
RUN = [
    "build/bin/pebble-match", "--games", "16", "--ends", "4", "--seed", "2611",
    "build/bin/granite --nodes 1500 --seed 1", "build/bin/granite --nodes 1500 --seed 2",
]


def in_play(stone):
    return not (stone[0] == 0 and stone[1] == 0)


def in_house(stone):
    return (stone[0] - TEE[0]) ** 2 + (stone[1] - TEE[1]) ** 2 < HOUSE_REACH ** 2


def is_guard(stone):
    return not in_house(stone) and TEE[1] < stone[1] < HOG_LINE_Y


def kind(position):
    """House stones and guards of the side with the hammer (it throws the odd stones) and of the other."""
    counts = [0, 0, 0, 0]
    for k, stone in enumerate(position["stones"]):
        if not in_play(stone):
            continue
        side = 0 if k % 2 == 1 else 1
        if in_house(stone):
            counts[side] += 1
        elif is_guard(stone):
            counts[2 + side] += 1
    return tuple(min(c, 2) for c in counts)


def describe(counts):
    """Each count is capped at 2, "2+"."""
    house_hammer, house_other, guards_hammer, guards_other = ("2+" if n == 2 else str(n) for n in counts)
    return (f"{house_hammer} in the house and {guards_hammer} guarding with the hammer, "
            f"{house_other} and {guards_other} without")


def candidates(records):
    for path in records:
        with open(path, encoding="utf-8") as record:
            lines = record.read().splitlines()
        for line in lines[1:]:
            game = json.loads(line)
            points = {"A": 0, "B": 0}
            for end in game["ends"]:
                if end["end"] >= FIRST_ENDS or not end["complete"]:
                    break
                hammer = 0 if end["hammer"] == "A" else 1
                for shot in end["shots"]:
                    stones = shot["position"]
                    if sum(in_play(s) for s in stones) < 2:
                        continue
                    yield {
                        "source": f"game {game['game']}, end {end['end'] + 1}, shot {shot['shotIndex'] + 1}",
                        "end": end["end"],
                        "shot": shot["shotIndex"],
                        "score": [points["A"], points["B"]],
                        "hammer": hammer,
                        "stones": stones,
                    }
                points["A"] += end["score"]["A"]
                points["B"] += end["score"]["B"]


def pick(records, count):
    kinds = defaultdict(list)
    for position in candidates(records):
        kinds[kind(position)].append(position)
    queues = [kinds[k] for k in sorted(kinds)]
    chosen = []
    while len(chosen) < count and any(queues):
        for queue in queues:
            if queue and len(chosen) < count:
                # Spread over the games: the middle of what is left.
                chosen.append(queue.pop(len(queue) // 2))
    return chosen


def main(argv):
    count = 48
    if argv and argv[0] != "--records":
        count = int(argv.pop(0))
    if argv and argv[0] == "--records":
        records = argv[1:]
        chosen = pick(records, count)
    else:
        os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
        with tempfile.TemporaryDirectory() as directory:
            record = os.path.join(directory, "early.jsonl")
            subprocess.run(RUN + ["--record", record], check=True, stdout=subprocess.DEVNULL)
            chosen = pick([record], count)
    for position in chosen:
        name = position.pop("source") + ": " + describe(kind(position))
        print(json.dumps({"name": name, **position}))


if __name__ == "__main__":
    main(sys.argv[1:])
