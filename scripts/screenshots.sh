#!/usr/bin/env bash
# Renders every state of the lookup panel, the collection window and the review window
# offscreen, over fake services, as PNGs in build/screenshots/ for people to look at. Not a
# test: it checks nothing.
#
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
build_dir="${RAROZEZEV_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target render_screenshots
LC_ALL=C.UTF-8 "$build_dir/test-helpers/render_screenshots" "$build_dir/screenshots"
