#!/usr/bin/env bash
# Writing many trackers at once: quelter-cli write --all against 8 simulated
# trackers on pseudo-terminals (answering at the real line rate), compared
# with writing one. Prints the median of a few runs of each and their ratio;
# fails when 8 at once take more than 1.5 times one.
#
#   bench/fleet/write-all.sh [BUILD_DIR] [TRACKERS] [RUNS]   (default: build 8 3)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
trackers=${2:-8}
runs=${3:-3}
cli=$build/tools/cli/quelter-cli
sim=$build/tools/tracker_sim/quelter-tracker-sim
[[ -x $cli && -x $sim ]] || { echo "Build $build first (quelter-cli, quelter-tracker-sim)" >&2; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

ports=()
for i in $(seq "$trackers"); do
  "$sim" >"$work/sim$i" &
  pids+=($!)
  port=""
  for _ in $(seq 100); do
    port=$(head -n 1 "$work/sim$i")
    [[ -n $port ]] && break
    sleep 0.05
  done
  [[ -n $port ]] || { echo "Simulator $i did not start" >&2; exit 1; }
  ports+=(--port "$port")
done
# Every write keeps a backup: here, not in the real data folder.
export XDG_DATA_HOME=$work/data
"$cli" read "${ports[@]:0:2}" -o "$work/fleet.ini" 2>/dev/null

# Milliseconds a command takes; it must succeed.
millis() {
  local start end
  start=$(date +%s%N)
  "$@" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

one=() all=()
for _ in $(seq "$runs"); do
  one+=("$(millis "$cli" write "$work/fleet.ini" "${ports[@]:0:2}")")
  all+=("$(millis "$cli" write "$work/fleet.ini" --all "${ports[@]}")")
done
m1=$(median "${one[@]}")
mn=$(median "${all[@]}")
ratio=$(awk -v a="$mn" -v b="$m1" 'BEGIN { printf "%.2f", a / b }')
echo "write, 1 tracker:            ${one[*]} ms (median $m1 ms)"
echo "write --all, $trackers trackers:    ${all[*]} ms (median $mn ms)"
echo "ratio: $ratio (at most 1.5)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }'
