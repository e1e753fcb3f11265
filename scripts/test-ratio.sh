#!/usr/bin/env bash
# Prints the size of the tests against the product code: physical lines of every file under
# tests/ over those under src/. The agreed budget is at most a third.
set -euo pipefail
cd "$(dirname "$0")/.."

count() { find "$1" -type f -print0 | xargs -0 cat | wc -l; }
tests=$(count tests)
product=$(count src)
ratio=$(awk -v t="$tests" -v s="$product" 'BEGIN { printf "%.2f", t / s }')
echo "test size: ${tests} lines in tests/ over ${product} lines in src/ = ${ratio} (budget: at most 0.33)"
if [ "${1:-}" = "--check" ]; then
  awk -v t="$tests" -v s="$product" 'BEGIN { exit !(t * 3 <= s) }' || { echo "test size over budget" >&2; exit 1; }
fi
