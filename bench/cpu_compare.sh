#!/usr/bin/env bash
# CPU use of the running app against a bare SDL2 GLES 1.1 loop that draws one
# full-window textured quad, both at 60 frames a second in a 640 x 960 window
# under Xvfb. Alternates the two for several rounds and prints the medians
# and their ratio.
#
#   bench/cpu_compare.sh BUILD_DIR [SECONDS] [ROUNDS]
set -euo pipefail
build=${1:?usage: cpu_compare.sh BUILD_DIR [SECONDS] [ROUNDS]}
seconds=${2:-10}
rounds=${3:-3}

if [ -z "${DISPLAY:-}" ]; then
  # A 1600 x 1300 screen makes the app open at scale 2: 640 x 960.
  exec xvfb-run -a -s "-screen 0 1600x1300x24" "$0" "$@"
fi

ticks_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Percent of one core used over $seconds, after a 2 s settle.
measure() {
  "$@" >/dev/null 2>&1 &
  local pid=$! a b
  sleep 2
  a=$(ticks_of $pid)
  sleep "$seconds"
  b=$(ticks_of $pid)
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  echo $(( (b - a) * 100 * 100 / $(getconf CLK_TCK) / seconds ))  # hundredths of a percent
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
apps=() bares=()
for ((r = 0; r < rounds; r++)); do
  apps+=("$(XDG_CONFIG_HOME=$home XDG_DATA_HOME=$home measure "$build/zorbel")")
  bares+=("$(measure "$build/bench/zorbel-bare-loop" $((seconds + 5)))")
done
app=$(printf '%s\n' "${apps[@]}" | median)
bare=$(printf '%s\n' "${bares[@]}" | median)
printf 'app:       %d.%02d %% of one core (rounds: %s)\n' $((app / 100)) $((app % 100)) "${apps[*]}"
printf 'bare loop: %d.%02d %% of one core (rounds: %s)\n' $((bare / 100)) $((bare % 100)) "${bares[*]}"
printf 'ratio:     %d.%02d\n' $((app / bare)) $(( (app * 100 / bare) % 100 ))
