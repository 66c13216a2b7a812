#!/usr/bin/env bash
# CPU use of the running app against a bare SDL2 GLES 1.1 loop that draws one
# full-window textured quad, both at 60 frames a second in a 640 x 960 window
# under Xvfb. Alternates the two for several rounds and prints the medians
# and their ratio, and the frames a second each drew (a loop that cannot
# keep up draws fewer, and then costs less than it would).
#
# With --computer-sound: the app listening to this computer's sound against
# the app with listening switched off, both while a private PulseAudio daemon
# plays music into its null sink. The app's capture thread (libpulse's
# "threaded-ml") and the daemon are measured beside.
#
#   bench/cpu_compare.sh [--computer-sound] BUILD_DIR [SECONDS] [ROUNDS]
#
# SIZE=WIDTHxHEIGHT (say 480x720 or 1080x1600) opens both windows at that
# size instead, on a screen a little larger.
set -euo pipefail
computer_sound=0
if [ "${1:-}" = --computer-sound ]; then
  computer_sound=1
  shift
fi
build=${1:?usage: cpu_compare.sh [--computer-sound] BUILD_DIR [SECONDS] [ROUNDS]}
seconds=${2:-10}
rounds=${3:-3}

size=${SIZE:-}
if [ -n "$size" ] && ! [[ "$size" =~ ^[0-9]+x[0-9]+$ ]]; then
  echo "cpu_compare.sh: SIZE must be WIDTHxHEIGHT" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
  # A 1600 x 1300 screen makes the app open at scale 2: 640 x 960.
  screen=1600x1300
  [ -n "$size" ] && screen="$(( ${size%x*} + 200 ))x$(( ${size#*x} + 200 ))"
  args=("$@")
  [ "$computer_sound" = 1 ] && args=(--computer-sound "${args[@]}")
  exec xvfb-run -a -s "-screen 0 ${screen}x24" "$0" "${args[@]}"
fi

ticks_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
percent() { echo $(( ($2 - $1) * 100 * 100 / $(getconf CLK_TCK) / seconds )); }  # hundredths of a percent

# Nanoseconds on a CPU of the app's capture thread, 0 without one.
capture_ns() {
  local t
  for t in /proc/"$1"/task/*; do
    [ "$(cat "$t/comm" 2>/dev/null)" = threaded-ml ] && { awk '{print $1}' "$t/schedstat"; return; }
  done
  echo 0
}

# Frames shown so far by a process started with the swap counter.
swaps_in() { local n; n=$(od -An -t u8 "$1" 2>/dev/null | tr -d ' '); echo "${n:-0}"; }

# Percent of one core used over $seconds, after a 2 s settle; with a sound
# server running, also the server's and the app's capture thread's; then
# hundredths of frames a second.
measure() {
  local count=$home/swaps
  rm -f "$count"
  ZORBEL_SWAP_COUNT=$count LD_PRELOAD=$build/bench/libzorbel-swap-count.so "$@" >/dev/null 2>&1 &
  local pid=$! a b sa=0 sb=0 ca cb fa fb
  sleep 2
  a=$(ticks_of $pid)
  ca=$(capture_ns $pid)
  fa=$(swaps_in "$count")
  [ -n "$server" ] && sa=$(ticks_of "$server")
  sleep "$seconds"
  b=$(ticks_of $pid)
  cb=$(capture_ns $pid)
  fb=$(swaps_in "$count")
  [ -n "$server" ] && sb=$(ticks_of "$server")
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  echo "$(percent "$a" "$b") $(percent "$sa" "$sb") $(( (cb - ca) / (seconds * 100000) )) $(( (fb - fa) * 100 / seconds ))"
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
show() { printf '%d.%02d' $(($1 / 100)) $(($1 % 100)); }

home=$(mktemp -d)
server="" player=""
cleanup() {
  for p in $player $server; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT

bare_size=()
if [ -n "$size" ]; then
  # The app opens where its window was left: at that size.
  mkdir -p "$home/zorbel"
  printf '[window]\nx=0\ny=0\nwidth=%s\nheight=%s\n' "${size%x*}" "${size#*x}" >"$home/zorbel/window.ini"
  bare_size=("${size%x*}" "${size#*x}")
fi

if [ "$computer_sound" = 0 ]; then
  apps=() bares=() app_fps=() bare_fps=()
  for ((r = 0; r < rounds; r++)); do
    read -r app _ _ fps < <(XDG_CONFIG_HOME=$home XDG_DATA_HOME=$home XDG_STATE_HOME=$home measure "$build/zorbel")
    apps+=("$app") app_fps+=("$fps")
    read -r bare _ _ fps < <(measure "$build/bench/zorbel-bare-loop" $((seconds + 5)) "${bare_size[@]}")
    bares+=("$bare") bare_fps+=("$fps")
  done
  app=$(printf '%s\n' "${apps[@]}" | median)
  bare=$(printf '%s\n' "${bares[@]}" | median)
  printf 'app:       %s %% of one core at %s frames a second (rounds: %s)\n' "$(show "$app")" \
    "$(show "$(printf '%s\n' "${app_fps[@]}" | median)")" "${apps[*]}"
  printf 'bare loop: %s %% of one core at %s frames a second (rounds: %s)\n' "$(show "$bare")" \
    "$(show "$(printf '%s\n' "${bare_fps[@]}" | median)")" "${bares[*]}"
  printf 'ratio:     %d.%02d\n' $((app / bare)) $(( (app * 100 / bare) % 100 ))
  exit 0
fi

# A sound server of our own, playing the game music for the whole run.
export XDG_RUNTIME_DIR=$home/run PULSE_SERVER=unix:$home/run/pulse/native PULSE_COOKIE=$home/cookie
mkdir -m 700 "$XDG_RUNTIME_DIR"
HOME=$home pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --load="module-native-protocol-unix auth-anonymous=1" --load="module-null-sink sink_name=out" \
  >"$home/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
sox /usr/share/games/chromium-bsu/wav/music_game.wav "$home/music.wav" \
  repeat $(( rounds * 2 * (seconds + 3) / 6 + 1 ))
paplay "$home/music.wav" >/dev/null 2>&1 &
player=$!

mkdir -p "$home/listening/zorbel" "$home/off/zorbel"
printf '[zorbel]\nLISTEN_TO=computer\n' >"$home/listening/zorbel/preferences.ini"
printf '[zorbel]\nDISABLE_MIC=true\n' >"$home/off/zorbel/preferences.ini"
ons=() offs=() son=() soff=() caps=()
for ((r = 0; r < rounds; r++)); do
  read -r app srv cap _ < <(XDG_CONFIG_HOME=$home/listening XDG_DATA_HOME=$home measure "$build/zorbel")
  ons+=("$app") son+=("$srv") caps+=("$cap")
  read -r app srv _ _ < <(XDG_CONFIG_HOME=$home/off XDG_DATA_HOME=$home measure "$build/zorbel")
  offs+=("$app") soff+=("$srv")
done
cap=$(printf '%s\n' "${caps[@]}" | median)
on=$(printf '%s\n' "${ons[@]}" | median)
off=$(printf '%s\n' "${offs[@]}" | median)
printf 'app listening to this computer:  %s %% of one core (rounds: %s; sound server: %s)\n' \
  "$(show "$on")" "${ons[*]}" "${son[*]}"
printf 'app not listening:               %s %% of one core (rounds: %s; sound server: %s)\n' \
  "$(show "$off")" "${offs[*]}" "${soff[*]}"
printf 'listening adds:                  %s %% of one core\n' "$(show $(( on > off ? on - off : 0 )))"
printf 'the capture thread alone:        %s %% of one core (rounds: %s)\n' "$(show "$cap")" "${caps[*]}"
