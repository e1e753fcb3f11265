#!/usr/bin/env bash
# Line coverage of core and the view models by the unit tests: builds an instrumented tree in
# build-coverage/ (or $RAROZEZEV_COVERAGE_DIR), runs the unit suites and prints gcovr's summary.
# Pass --integration to run the desktop-session suites as well.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
build_dir="${RAROZEZEV_COVERAGE_DIR:-build-coverage}"
launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRAROZEZEV_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage "${launcher[@]}"
cmake --build "$build_dir"
find "$build_dir" -name '*.gcda' -delete
ctest --test-dir "$build_dir" -L unit -j "$(nproc)" --output-on-failure || true
if [ "${1:-}" = "--integration" ]; then
  scripts/with-desktop-session.sh ctest --test-dir "$build_dir" -L integration --output-on-failure || true
fi
for layer in core viewmodels; do
  echo "== src/${layer}"
  gcovr -r . --filter "src/${layer}/" --exclude-unreachable-branches "$build_dir" -s --txt "$build_dir/coverage-${layer}.txt" \
    | grep -E '^(lines|functions):'
done
