# shellcheck shell=bash
# Shared by the install tests: checks of one installed tree <prefix>, laid
# out as under /usr. Sourced; expects `set -euo pipefail`.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

app_id=io.github.zorbel.Zorbel
# The programs' folder under the prefix: the package puts them in games/.
bindir=${bindir:-bin}

# "width height" of a PNG, read by ImageMagick's identify ($identify); with a
# geometry WxH+X+Y, the mean "r g b" (0 to 255) of that patch.
png_size() { "$identify" -format '%w %h' "$1"; }
png_colour() { "$identify" -format '%[fx:round(255*mean.r)] %[fx:round(255*mean.g)] %[fx:round(255*mean.b)]' "$1[$2]"; }

# Runs a command with fresh, empty XDG folders under $1, no display, and a
# time limit: the programs must neither need a desktop nor hang without one.
run_headless() {
  local home=$1
  shift
  mkdir -p "$home/config" "$home/data" "$home/state"
  env -u DISPLAY -u WAYLAND_DISPLAY \
    XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" \
    timeout 120 "$@"
}

# Every file a desktop needs is where it looks for it, and each PNG icon
# has the size of its folder.
check_layout() {
  local prefix=$1
  local f
  for f in $bindir/zorbel $bindir/zorbel-sim; do
    [ -x "$prefix/$f" ] || fail "$prefix/$f is missing or not executable"
  done
  for f in bb512x512.png chalk512x512.png thumbTack32.png bb480x320.png facemask25.png; do
    [ -s "$prefix/share/zorbel/$f" ] || fail "$prefix/share/zorbel/$f is missing"
  done
  for f in applications/$app_id.desktop metainfo/$app_id.metainfo.xml man/man6/zorbel.6.gz \
           icons/hicolor/scalable/apps/$app_id.svg; do
    [ -s "$prefix/share/$f" ] || fail "$prefix/share/$f is missing"
  done
  local size got
  for size in 16 32 48 64 128 256; do
    f=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -s "$f" ] || fail "$f is missing"
    got=$(png_size "$f")
    [ "$got" = "$size $size" ] || fail "$f is $got pixels, not $size x $size"
  done
}

# Mean "r g b" of a patch of open board at the top left of a frame drawn by
# the tree's zorbel-sim.
board_colour() {
  local prefix=$1 work=$2
  rm -rf "$work/frames" && mkdir -p "$work/frames"
  printf 'frames 1\n' | run_headless "$work/home" "$prefix/$bindir/zorbel-sim" --png "$work/frames" > /dev/null
  [ -s "$work/frames/frame-000001.png" ] || fail "zorbel-sim wrote no frame"
  png_colour "$work/frames/frame-000001.png" 48x48+8+8
}

# Dark slate grey, as the blackboard texture is; a board drawn without it
# is black or white.
is_board() {
  awk -v r="$1" -v g="$2" -v b="$3" 'BEGIN { exit !(r >= 12 && r <= 90 && g >= 12 && g <= 90 && b >= 12 && b <= 90) }'
}

# Both programs run from the tree, and they draw with the tree's own images:
# spoiling its blackboard texture must change what zorbel-sim draws.
check_programs() {
  local prefix=$1 version=$2 work=$3
  local out
  out=$(run_headless "$work/home" "$prefix/$bindir/zorbel" --version) || fail "zorbel --version failed"
  [ "$out" = "zorbel $version" ] || fail "zorbel --version printed '$out', not 'zorbel $version'"
  # A mistake on the command line is one line and status 2, the whole help only on --help.
  local status=0
  out=$("$prefix/$bindir/zorbel" --frobnicate 2>&1) || status=$?
  [ "$status" = 2 ] && [ "$out" = "zorbel: unknown option --frobnicate (see zorbel --help)" ] ||
    fail "zorbel --frobnicate printed '$out' with status $status"

  out=$(printf 'frames 2\n' | run_headless "$work/home" "$prefix/$bindir/zorbel-sim") || fail "zorbel-sim failed"
  [ "$(grep -c '^F ' <<< "$out")" = 2 ] || fail "zorbel-sim printed $(grep -c '^F ' <<< "$out") F lines, not 2"
  grep -q '^F 2 ' <<< "$out" || fail "zorbel-sim printed no line for frame 2"

  local colour
  colour=$(board_colour "$prefix" "$work")
  # shellcheck disable=SC2086
  is_board $colour || fail "the board is ($colour), not slate grey: $prefix/share/zorbel was not used"
  local good=$colour

  local board=$prefix/share/zorbel/bb512x512.png
  mv "$board" "$work/board.png"
  echo "not a PNG" > "$board"
  colour=$(board_colour "$prefix" "$work")
  mv "$work/board.png" "$board"
  # shellcheck disable=SC2086
  if is_board $colour; then
    fail "the board stays slate grey ($colour) without $board: the images come from elsewhere"
  fi
  echo "ok: $prefix (board $good; without its texture $colour)"
}
