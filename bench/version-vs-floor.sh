#!/usr/bin/env bash
# Times `rarozezev --version` beside the floor of a command, a Qt Core program that prints a
# version (bench/floor/FloorCore.cpp), and prints their ratio, then what the dynamic loader and
# the system calls cost each of them.
#
#   bench/version-vs-floor.sh [N]        (default 300 runs; builds both in build/)
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-300}"
build_dir="${RAROZEZEV_BUILD_DIR:-build}"
cmake --build "$build_dir" --target rarozezev floor_core >/dev/null
binary="$build_dir/rarozezev"
floor="$build_dir/bench/floor_core"

json=$(mktemp "${TMPDIR:-/tmp}/rarozezev-version.XXXXXX")
trap 'rm -f "$json"' EXIT
hyperfine -N --warmup 10 --runs "$runs" --export-json "$json" -n floor "$floor" -n rarozezev "$binary --version"
python3 -c '
import json, sys
results = {r["command"]: r["median"] * 1000 for r in json.load(open(sys.argv[1]))["results"]}
print("\nmedian: rarozezev --version %.2f ms, floor %.2f ms, ratio %.2fx (target: within 1.3x)"
      % (results["rarozezev"], results["floor"], results["rarozezev"] / results["floor"]))' "$json"

for program in "$floor" "$binary --version"; do
  echo
  echo "== $program"
  LD_DEBUG=statistics $program 2>&1 >/dev/null | grep -E "total startup time|number of relocations:|relative relocations" | sed 's/^[[:space:]]*[0-9]*:[[:space:]]*//'
  strace -c -f $program 2>&1 >/dev/null | tail -1 | awk '{print "system calls: " $4 " (" $5 " failed)"}'
  echo "libraries: $(ldd ${program%% *} | wc -l)"
done
