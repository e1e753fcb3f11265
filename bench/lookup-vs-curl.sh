#!/usr/bin/env bash
# Times N full lookups through `rarozezev lookup --no-cache --pass full` against a loopback
# chat-completions server, beside N `curl` posts of the same request body, and prints both
# and their ratio. The program's share is start-up, settings, prompt, parsing and output.
#
#   bench/lookup-vs-curl.sh [N]        (default 20; build/rarozezev must exist)
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-20}"
binary="${RAROZEZEV_BINARY:-build/rarozezev}"
if [ ! -x "$binary" ]; then
  echo "lookup-vs-curl: $binary not found; build it first (cmake --build build --target rarozezev)" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/rarozezev-bench.XXXXXX")
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

python3 bench/chat_completion_server.py 0 "$work/body.json" >"$work/port" &
server_pid=$!
for _ in $(seq 50); do
  [ -s "$work/port" ] && break
  sleep 0.1
done
port=$(head -n1 "$work/port")
url="http://127.0.0.1:$port/v1/chat/completions"

# A private home, so the run touches none of the user's settings, cache or keyring.
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
  XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export RAROZEZEV_AI_API_KEY="sk-bench-key"
"$binary" config set aiBaseURL "$url" >/dev/null
"$binary" config set aiModel bench-model >/dev/null

text="take off"
# The first lookup's request is recorded, so curl posts exactly the body the program sends.
"$binary" lookup --no-cache --pass full $text >/dev/null
for _ in $(seq 50); do
  [ -s "$work/body.json" ] && break
  sleep 0.1
done

lookup_command="$binary lookup --no-cache --pass full $text"
curl_command="curl -sS -o /dev/null -H 'Authorization: Bearer sk-bench-key' -H 'Content-Type: application/json' --data-binary @$work/body.json $url"

# curl must work too before it is timed.
eval "$curl_command"

if command -v hyperfine >/dev/null 2>&1; then
  hyperfine -N --warmup 5 --runs "$runs" --export-json "$work/hyperfine.json" \
    -n rarozezev "$lookup_command" -n curl "$curl_command"
  read -r lookup_ms curl_ms < <(python3 -c '
import json, sys
results = {r["command"]: r["mean"] * 1000 for r in json.load(open(sys.argv[1]))["results"]}
print("%.1f %.1f" % (results["rarozezev"], results["curl"]))' "$work/hyperfine.json")
else
  mean_ms() {
    local start end
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do
      eval "$1" >/dev/null
    done
    end=$(date +%s%N)
    python3 -c "print(f'{($end - $start) / 1e6 / $runs:.1f}')"
  }
  for _ in 1 2 3; do $lookup_command >/dev/null; eval "$curl_command"; done
  lookup_ms=$(mean_ms "$lookup_command")
  curl_ms=$(mean_ms "$curl_command")
fi

ratio=$(python3 -c "print(f'{$lookup_ms / $curl_ms:.2f}')")
echo
echo "runs:                 $runs"
echo "rarozezev lookup:     ${lookup_ms} ms per run"
echo "curl:                 ${curl_ms} ms per run"
echo "ratio (lookup/curl):  ${ratio}x (target: within 1.6x)"
