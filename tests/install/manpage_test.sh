#!/usr/bin/env bash
# The manual page formats without a warning from groff, as lintian checks it.
# Usage: manpage_test.sh MAN FILE VERSION
set -euo pipefail
man=$1 file=$2 version=$3
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 "$man" --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 > /dev/null)
if [ -n "$warnings" ]; then
  echo "$warnings"
  echo "FAIL: $file has formatting warnings" >&2
  exit 1
fi
grep -q "^\.TH ZORBEL 6 .* \"Zorbel $version\"" "$file" ||
  { echo "FAIL: $file is not in section 6 or not for version $version" >&2; exit 1; }
echo "ok: $file"
