#!/usr/bin/env bash
# fuzz.sh BUILD_DIR SECONDS: runs every fuzz target of BUILD_DIR for SECONDS on a scratch copy of
# its seed corpus (the seeds in fuzz/corpus/ stay untouched).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1; seconds=${2:-10}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
found=0
for f in "$build"/fuzz_*; do
  [ -x "$f" ] || continue
  found=1
  name=$(basename "$f"); name=${name#fuzz_}
  mkdir -p "$work/$name"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/$name/"
  echo "fuzz: $name for ${seconds}s"
  "$f" -max_total_time="$seconds" -print_final_stats=0 "$work/$name" 2>"$work/$name.log" \
    || { tail -n 40 "$work/$name.log"; echo "fuzz: $name failed"; exit 1; }
done
[ "$found" -eq 1 ] || { echo "fuzz: no targets in $build"; exit 1; }
