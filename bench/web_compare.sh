#!/usr/bin/env bash
# The browser version against the desktop's: the core's time per frame on the
# committed scripts, native and in WebAssembly under node, then the page in
# headless Chromium (bench/page_bench.cpp).
#   bench/web_compare.sh BUILD_DIR [SECONDS] [ROUNDS]
# BUILD_DIR is the desktop build, which holds the browser build in web/.
set -euo pipefail
build=${1:?usage: web_compare.sh BUILD_DIR [SECONDS] [ROUNDS]}
here=$(cd "$(dirname "$0")" && pwd)
scripts=("$here"/../tests/tools/sim/traces/{standup,tilt-and-hands,music}.script)

echo "The core (physics, meshes, beat detector), best of 200 runs of each script:"
echo "native:"
"$build/bench/zorbel-core-bench" "${scripts[@]}" | tee "$build/core-native.txt"
echo "WebAssembly under node:"
node "$build/web/bench/zorbel-core-bench.js" "${scripts[@]}" | tee "$build/core-web.txt"
paste "$build/core-native.txt" "$build/core-web.txt" | awk 'NR > 1 { printf "%-24s %.2f times native\n", $1, $7 / $3 }'
echo
echo "One overlay render, cairo and pango:"
"$build/bench/zorbel-overlay-bench"
echo
"$build/bench/zorbel-page-bench" "${2:-10}" "${3:-3}"
