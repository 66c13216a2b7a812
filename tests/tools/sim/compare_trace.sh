#!/usr/bin/env bash
# Runs zorbel-sim on a script with empty preference and data folders and
# compares its trace with the expected one, byte for byte. A simulator
# ending in .js is the browser build's, run by node.
set -euo pipefail
sim=$1 script=$2 expected=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run=("$sim")
[[ $sim == *.js ]] && run=(node "$sim")
XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data "${run[@]}" "$script" > "$work/trace"
if ! cmp -s "$work/trace" "$expected"; then
  line=$(cmp "$work/trace" "$expected" | sed -n 's/.* line \([0-9]*\)$/\1/p' || true)
  echo "trace differs from $expected at line ${line:-?}:"
  diff <(sed -n "${line:-1}p" "$work/trace" | tr ' ' '\n') <(sed -n "${line:-1}p" "$expected" | tr ' ' '\n') | head -n 12 || true
  exit 1
fi
