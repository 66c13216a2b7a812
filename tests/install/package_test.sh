#!/usr/bin/env bash
# Builds the Debian package with CPack, checks its control fields and that
# lintian finds no error in it, unpacks it and runs both programs from the
# unpacked /usr.
# Usage: package_test.sh CPACK BUILD_DIR IDENTIFY VERSION LINTIAN
set -euo pipefail
cpack=$1 build=$2 identify=$3 version=$4 lintian=$5
bindir=games
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
shopt -s nullglob
debs=("$work"/out/*.deb)
[ ${#debs[@]} = 1 ] || { cat "$work/cpack.log"; fail "cpack made ${#debs[@]} .deb files, not 1"; }
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zorbel ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Maintainer)" = "Zorbel contributors <zorbel@example.org>" ] || fail "Maintainer is '$(field Maintainer)'"
depends=$(field Depends)
grep -q 'libsdl2' <<< "$depends" || fail "Depends lacks libsdl2: $depends"
grep -q 'libcairo2' <<< "$depends" || fail "Depends lacks libcairo2: $depends"
grep -q 'fonts-dejavu-core' <<< "$depends" || fail "Depends lacks fonts-dejavu-core: $depends"
grep -q 'fonts-liberation2' <<< "$depends" || fail "Depends lacks fonts-liberation2: $depends"
echo "Depends: $depends"
grep -q 'gstreamer1.0-plugins-good' <<< "$(field Recommends)" || fail "Recommends lacks gstreamer1.0-plugins-good"

# Everything lives under /usr, nothing elsewhere.
outside=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

# Errors fail; warnings are printed for the record.
"$lintian" --fail-on error --no-tag-display-limit "$deb" || fail "lintian finds errors in the package"

dpkg -x "$deb" "$work/root"
check_layout "$work/root/usr"
check_programs "$work/root/usr" "$version" "$work"
