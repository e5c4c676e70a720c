#!/usr/bin/env bash
# Sets up the machine, builds the project and runs the main job: for now `varnelctl config` on the
# shipped default application folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release >/dev/null
exec build/release/varnelctl config "$@"
