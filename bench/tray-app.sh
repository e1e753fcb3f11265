#!/usr/bin/env bash
# Times the tray application in a throwaway desktop session (Xvfb, openbox, D-Bus, keyring):
# cold start to idle, idle resident memory, and Alt+D to the lookup panel (p50 over N
# presses), with the AI service on a loopback server.
#
#   bench/tray-app.sh [N]        (default 20; builds rarozezev and the capture target in build/)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${RAROZEZEV_BUILD_DIR:-build}"
if [ -z "${RAROZEZEV_TRAY_BENCH_INSIDE:-}" ]; then
  cmake --build "$build_dir" --target rarozezev capture_target >/dev/null
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
python3 bench/tray_app_bench.py "$binary" "$build_dir/test-helpers/capture_target" "${1:-20}"
