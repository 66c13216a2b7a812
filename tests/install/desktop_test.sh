#!/usr/bin/env bash
# The desktop entry validates without a single remark, and names the
# program and the icon the install puts in place.
# Usage: desktop_test.sh DESKTOP_FILE_VALIDATE FILE
set -euo pipefail
validate=$1 file=$2
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"
out=$("$validate" "$file" 2>&1) || { echo "$out"; fail "desktop-file-validate failed"; }
[ -z "$out" ] || { echo "$out"; fail "desktop-file-validate has remarks"; }
[ "$(basename "$file")" = "$app_id.desktop" ] || fail "the file is not named $app_id.desktop"
grep -qx "Exec=zorbel" "$file" || fail "Exec is not zorbel"
grep -qx "Icon=$app_id" "$file" || fail "Icon is not $app_id"
grep -qx "Terminal=false" "$file" || fail "Terminal is not false"
echo "ok: $file"
