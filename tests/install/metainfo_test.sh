#!/usr/bin/env bash
# The AppStream metainfo validates (offline: URLs are not fetched), launches
# our desktop entry, and its newest release is the project's version.
# Usage: metainfo_test.sh APPSTREAMCLI FILE VERSION
set -euo pipefail
appstreamcli=$1 file=$2 version=$3
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"
"$appstreamcli" validate --no-net "$file" || fail "appstreamcli validate failed"
grep -q "<id>$app_id</id>" "$file" || fail "the id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$file" ||
  fail "it does not launch $app_id.desktop"
newest=$(grep -o '<release version="[^"]*"' "$file" | head -n 1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release is '$newest', the project is $version"
echo "ok: $file"
