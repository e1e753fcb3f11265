#!/usr/bin/env bash
# Builds Rarozezev and runs every test: unit tests first, then the Debian package's checks,
# then the suites that need a desktop session (X server, D-Bus, keyring), which get one of
# their own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
scripts/test-ratio.sh
build_dir="${RAROZEZEV_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DRAROZEZEV_WERROR=ON
cmake --build "$build_dir"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" -L unit
scripts/package-check.sh
if ctest --test-dir "$build_dir" -N -L integration | grep -q 'Total Tests: [1-9]'; then
  scripts/with-desktop-session.sh ctest --test-dir "$build_dir" --output-on-failure -L integration
fi
