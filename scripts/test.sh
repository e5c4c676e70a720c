#!/usr/bin/env bash
# Sets up the machine, builds the project as released and with the sanitizers, runs the whole
# test suite in both builds, then runs each fuzz target briefly on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
bash scripts/setup.sh

bash scripts/build.sh release
ctest --test-dir build/release --output-on-failure -j "$(nproc)"

bash scripts/build.sh asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j "$(nproc)"

bash scripts/build.sh fuzz
bash scripts/fuzz.sh build/fuzz "${VARNEL_FUZZ_SECONDS:-10}"

echo "test.sh: all builds and tests passed in $(( $(date +%s) - start )) s"
