#!/usr/bin/env bash
# build.sh KIND: configures and builds one of the project's builds under build/KIND.
#   release  optimised build (programs, tests, benchmarks)
#   asan     AddressSanitizer + UndefinedBehaviorSanitizer build of programs and tests
#   fuzz     clang libFuzzer targets
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
jobs=$(nproc)
case "$kind" in
  release) args=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_SANITIZE=ON -DVARNEL_BENCH=OFF) ;;
  fuzz)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_FUZZ=ON
                 -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "build.sh: unknown build '$kind'" >&2; exit 2 ;;
esac
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
export CCACHE_BASEDIR=$PWD
cmake -S . -B "build/$kind" -G Ninja "${args[@]}" >/dev/null
cmake --build "build/$kind" -j "$jobs"
