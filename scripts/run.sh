#!/usr/bin/env bash
# Builds Rarozezev and starts it; arguments are passed on (none: the tray application).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
build_dir="${RAROZEZEV_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja
cmake --build "$build_dir" --target rarozezev
exec "$build_dir/rarozezev" "$@"
