#!/usr/bin/env bash
# Runs COUNT selection captures through the copy keystroke (default 1000) inside a throwaway
# desktop session, each over random clipboard contents owned by another process, and reports
# how many left the clipboard different from before (it should be none). Not a timed test.
#
#   scripts/capture-stress.sh [COUNT] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
build_dir="${RAROZEZEV_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DRAROZEZEV_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" --target capture_stress
exec scripts/with-desktop-session.sh "$build_dir/bench/capture_stress" "$@"
