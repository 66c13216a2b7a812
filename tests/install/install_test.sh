#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, checks the layout and runs
# both programs from it; then moves the whole tree elsewhere and runs them
# again: the programs find their images next to themselves, wherever that is.
# Usage: install_test.sh CMAKE BUILD_DIR IDENTIFY VERSION
set -euo pipefail
cmake=$1 build=$2 identify=$3 version=$4
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cmake" --install "$build" --prefix "$work/first/usr" > "$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install failed"; }
check_layout "$work/first/usr"
check_programs "$work/first/usr" "$version" "$work"

mkdir -p "$work/elsewhere/opt"
mv "$work/first/usr" "$work/elsewhere/opt/zorbel"
[ ! -e "$work/first/usr" ] || fail "the tree was not moved"
check_programs "$work/elsewhere/opt/zorbel" "$version" "$work"
