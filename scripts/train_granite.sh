#!/usr/bin/env bash
# The one command from nothing to a weights file for granite's value network:
# installs what it lacks, builds granite, pebble-match and granite-data
# (build/release), then, in each of a few rounds,
#   1. generates: granite against itself, in shards, each with its own record;
#      the first round's granite judges by play-outs, each later one by the
#      network the round before trained;
#   2. extracts every position of the records as .npy files (mirrored too);
#   3. trains the network (training/train_value.py) on the positions of every
#      round so far, the last shard of each held out;
#   4. validates the weights on the round's held-out games;
# and prints where the last round's weights are and how to use and ship them.
#
#   scripts/train_granite.sh [--work DIR] [--rounds R] [--games N] [--nodes N]
#                            [--shards S] [--concurrency C] [--epochs E]
#                            [--bin DIR] [--smoke]
#
# Killed at any point, the same command continues: complete shards are not
# played again and unfinished ones are resumed, extracted data newer than its
# record is kept, and training continues from its last checkpoint.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
source scripts/lib/python.sh

usage() {
  cat <<'USAGE'
Usage: scripts/train_granite.sh [options]
  --work DIR         where records, data and the model go (default build/training,
                     build/training-smoke with --smoke)
  --rounds R         rounds of self-play and training (default 2)
  --games N          self-play games per round (default 1500)
  --nodes N          granite's simulated throws per shot (default 6000)
  --shards S         shards of the games, the last held out from training (default 4)
  --concurrency C    games played at once (default: nproc)
  --epochs E         training epochs (default: train_value.py's)
  --bin DIR          take granite, pebble-match and granite-data from DIR, build nothing
  --smoke            a tiny run: 2 rounds of 4 games of 2 ends at 300 nodes, 2 shards, 2 epochs

Shards on many machines: run on each the generating command this script prints
for its shard (same options, with --resume), e.g. with GNU parallel --sshlogin
or a Slurm array over I = 1..S as the README shows for matches; copy the records
back as WORK/round-R/records/shard-I.jsonl and run this script with the same options:
complete shards are not played again.
USAGE
}

fail() {
  echo "train_granite.sh: $*" >&2
  exit 1
}

usage_error() {
  echo "train_granite.sh: $*" >&2
  exit 2
}

readonly INVOCATION="scripts/train_granite.sh $*"
work= rounds= games= nodes= shards= concurrency=$(nproc) epochs= bin= smoke=0
while (($#)); do
  case "$1" in
    --work | --rounds | --games | --nodes | --shards | --concurrency | --epochs | --bin)
      (($# >= 2)) || usage_error "$1 needs a value"
      declare "${1#--}=$2"
      shift 2
      ;;
    --smoke) smoke=1; shift ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; usage_error "unknown option $1" ;;
  esac
done

ends=8
if ((smoke)); then
  work=${work:-build/training-smoke} games=${games:-4} nodes=${nodes:-300} shards=${shards:-2}
  epochs=${epochs:-2} ends=2
fi
work=${work:-build/training} rounds=${rounds:-2} games=${games:-1500} nodes=${nodes:-6000} shards=${shards:-4}
for number in rounds games nodes shards concurrency ${epochs:+epochs}; do
  [[ ${!number} =~ ^[1-9][0-9]*$ ]] || usage_error "--$number needs a positive whole number"
done
((shards >= 2)) || usage_error "--shards must be at least 2 (the last is held out)"
# Games are played in pairs, and every shard needs one.
(((games + 1) / 2 >= shards)) || usage_error "--games must be at least twice --shards"
readonly SEED=20261209

trap 'echo "train_granite.sh: failed (status $?) at: $BASH_COMMAND" >&2' ERR

# --- the programs and the interpreter -----------------------------------------
if [[ -z $bin ]]; then
  need_packages cmake ninja-build g++ libcli11-dev nlohmann-json3-dev libssl-dev
  echo "== Configuring (build/release)"
  cmake --preset release >/dev/null
  echo "== Building granite, pebble-match and granite-data"
  cmake --build --preset release --target granite pebble-match granite-data
  bin=build/release/bin
fi
for program in granite pebble-match granite-data; do
  [[ -x $bin/$program ]] || fail "$bin/$program is not built"
done

python_modules=(torch numpy tqdm matplotlib)
if ! python=$(pick_python "${python_modules[@]}" 2>/dev/null); then
  need_packages python3-torch python3-numpy python3-tqdm python3-matplotlib
  python=$(pick_python "${python_modules[@]}") || fail "no Python 3 with ${python_modules[*]}"
fi


# --- 1. generate --------------------------------------------------------------
# The games of shard i of the pairs p with (p - 1) mod S = i - 1: both of each
# pair's games, but one of the last pair when the game count is odd.
shard_games() {
  local shard=$1 pairs=$(((games + 1) / 2))
  ((shard <= pairs)) || { echo 0; return; }
  local count=$(((pairs - shard) / shards + 1)) last=$(((pairs - 1) % shards + 1))
  echo $((2 * count - (games % 2 == 1 && last == shard ? 1 : 0)))
}

# Games a record holds: its lines after the header (a torn last line has no
# line feed, so it is not counted).
recorded_games() {
  [[ -f $1 ]] || { echo 0; return; }
  local lines
  lines=$(wc -l <"$1")
  echo $((lines > 0 ? lines - 1 : 0))
}

printf -v granite '%q' "$bin/granite"

generate() {
  local round=$1 judge=$2 shard record expected command
  for ((shard = 1; shard <= shards; shard++)); do
    record=$records/shard-$shard.jsonl
    expected=$(shard_games "$shard")
    if (($(recorded_games "$record") == expected)); then
      echo "== Round $round, shard $shard of $shards: its $expected games are in $record"
      continue
    fi
    command=("$bin/pebble-match" --games "$games" --ends "$ends" --seed "$((SEED + round - 1))"
      --shard "$shard/$shards" --concurrency "$concurrency" --record "$record" --resume
      "name=A $granite --nodes $nodes --seed 11 $judge" "name=B $granite --nodes $nodes --seed 12 $judge")
    echo "== Round $round: generating shard $shard of $shards, $expected games of granite against itself" \
      "(line scores in $records/shard-$shard.log)"
    echo "   ${command[*]@Q}"
    "${command[@]}" >"$records/shard-$shard.log"
  done
}

# --- 2. extract ---------------------------------------------------------------
extracted() {
  local prefix=$1 record=$2 suffix
  for suffix in features labels positions; do
    [[ $prefix-$suffix.npy -nt $record ]] || return 1
  done
}

# Each round's positions are named after it, so that later rounds train on them all.
extract() {
  local round=$1 shard record prefix partial
  for ((shard = 1; shard <= shards; shard++)); do
    record=$records/shard-$shard.jsonl prefix=$data/round-$round-shard-$shard
    if extracted "$prefix" "$record"; then
      echo "== Round $round: shard $shard's positions are in $prefix-*.npy"
      continue
    fi
    echo "== Round $round: extracting shard $shard's positions, mirrored too, into $prefix-*.npy"
    # Written aside and moved in whole, so a kill never leaves a partial file in the data.
    partial=$work/data-partial
    rm -rf "$partial"
    mkdir -p "$partial"
    "$bin/granite-data" extract --mirror --out "$partial/round-$round-shard-$shard" "$record"
    mv "$partial/round-$round-shard-$shard"-* "$data/"
  done
}

# --- 3. train -----------------------------------------------------------------
train() {
  local round=$1 earlier
  # The earlier rounds' positions join this round's, linked rather than copied.
  for ((earlier = 1; earlier < round; earlier++)); do
    ln -sf "$(realpath "$work/round-$earlier/data")"/round-"$earlier"-shard-*.npy "$data/"
  done
  echo "== Round $round: training on shards 1 to $((shards - 1)) of rounds 1 to $round, shard $shards" \
    "of each held out, into $model (with $python)"
  # One thread: a network this small gains nothing from more, and on a busy
  # 2-core machine two threads made each epoch ten times slower.
  "$python" training/train_value.py --data "$data" --out "$model" --held-out "*-shard-$shards-*" \
    --seed 1 --threads 1 ${epochs:+--epochs "$epochs"}
}

# --- 4. validate --------------------------------------------------------------
validate() {
  local round=$1
  echo "== Round $round: validating the weights on the held-out games of shard $shards"
  "$bin/granite-data" validate --weights "$model/value_network.bin" "$records/shard-$shards.jsonl" \
    --json "$model/validation.json"
}

# --- the rounds ---------------------------------------------------------------
judge="--eval rollout"
for ((round = 1; round <= rounds; round++)); do
  records=$work/round-$round/records data=$work/round-$round/data model=$work/round-$round/model
  mkdir -p "$records" "$data" "$model"
  generate "$round" "$judge"
  extract "$round"
  train "$round"
  validate "$round"
  printf -v judge -- '--weights %q' "$(realpath "$model/value_network.bin")"
done

cat <<DONE
== Done. The weights: $model/value_network.bin (sha256 in $model/value_network.sha256),
   the learning curve $model/learning_curve.png, the history $model/history.json,
   the validation $model/validation.json.
   Play with them:  $bin/granite --weights $model/value_network.bin
   Ship them: copy $model/value_network.bin and $model/value_network_check.txt into
   granite/value/weights/, and record in granite/value/weights/README.md the command
   ($INVOCATION) and the sha256:
   $(cut -d' ' -f1 "$model/value_network.sha256")
DONE
