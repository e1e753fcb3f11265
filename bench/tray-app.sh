#!/usr/bin/env bash
# Times the tray application in a throwaway desktop session (Xvfb, openbox, D-Bus, keyring),
# beside the floor program (a tray icon and a label, nothing else) and the same program with no
# window at all (the stricter floor) in the same run: start to idle and idle resident memory; then Alt+D to the lookup panel mapped and to the quick
# answer shown (p50/p90 over N presses, each a new word), with the AI service on a loopback
# server, and the memory after the first and the last lookup. Keys go through XTest and the
# panel's MapNotify is read over xcb by one process (tray_session_bench), so the figures hold
# no process start-up of the benchmark itself.
#
#   bench/tray-app.sh [N] [RUNS]   (default 100 presses, 7 starts; builds what it needs in build/)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${RAROZEZEV_BUILD_DIR:-build}"
if [ -z "${RAROZEZEV_TRAY_BENCH_INSIDE:-}" ]; then
  cmake --build "$build_dir" --target rarozezev capture_target floor_tray floor_tray_windowless tray_session_bench >/dev/null
  RAROZEZEV_TRAY_BENCH_INSIDE=1 exec scripts/with-desktop-session.sh "$0" "$@"
fi

binary="$build_dir/rarozezev"
python3 bench/chat_completion_server.py 0 >"$HOME/port" &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$HOME/port" ] && break
  sleep 0.1
done
"$binary" config set aiBaseURL "http://127.0.0.1:$(head -1 "$HOME/port")/v1/chat/completions" >/dev/null
"$binary" config set aiModel bench-model >/dev/null
printf %s sk-bench-key | "$binary" config set-key ai >/dev/null

bench="$build_dir/bench/tray_session_bench"
"$bench" start "${2:-7}" "floor=com.rarozezev.Floor=$build_dir/bench/floor_tray" \
  "windowless=com.rarozezev.Floor=$build_dir/bench/floor_tray_windowless" \
  "rarozezev=com.rarozezev.Rarozezev=$binary"
"$bench" panel "${1:-100}" "$binary" "$build_dir/test-helpers/capture_target"
