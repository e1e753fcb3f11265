#!/usr/bin/env bash
# Runs COMMAND... inside a throwaway desktop session and exits with its status: a private
# D-Bus session bus, an unlocked gnome-keyring serving the Secret Service, an Xvfb display
# with openbox, a notification daemon when one is installed, a PulseAudio server whose only
# sink is a null sink (PULSE_SERVER; its monitor can be recorded), a headless sway for the
# Wayland suites (RAROZEZEV_TEST_WAYLAND_DISPLAY), and HOME, XDG_RUNTIME_DIR and
# the XDG_* directories in a temporary directory, so the real user's files stay untouched.
# Everything it starts is stopped and the directory removed on exit. Needs no terminal.
#
#   scripts/with-desktop-session.sh ctest --test-dir build -L integration
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGUMENT...]" >&2
  exit 2
fi

log() { echo "with-desktop-session: $*" >&2; }
# Turn signals into an ordinary exit so the EXIT traps below still clean up.
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# --- outer stage: a private home, then this script again on a private session bus ---
if [ -z "${RAROZEZEV_DESKTOP_SESSION_DIR:-}" ]; then
  session_dir=$(mktemp -d "${TMPDIR:-/tmp}/rarozezev-session.XXXXXX")
  trap 'rm -rf "$session_dir"' EXIT
  mkdir -p "$session_dir"/{home,runtime,config,data,cache,state}
  chmod 700 "$session_dir" "$session_dir"/*
  # Nothing of the caller's desktop may leak in: its display, bus, keyring or desktop
  # name (which would steer the keyring library towards another backend).
  unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS GNOME_KEYRING_CONTROL SSH_AUTH_SOCK \
    XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION KDE_SESSION_VERSION \
    XAUTHORITY SESSION_MANAGER
  export RAROZEZEV_DESKTOP_SESSION_DIR="$session_dir"
  export HOME="$session_dir/home"
  export XDG_RUNTIME_DIR="$session_dir/runtime"
  export XDG_CONFIG_HOME="$session_dir/config"
  export XDG_DATA_HOME="$session_dir/data"
  export XDG_CACHE_HOME="$session_dir/cache"
  export XDG_STATE_HOME="$session_dir/state"
  # GTK programs (the notification daemon) would otherwise start an accessibility bus.
  export NO_AT_BRIDGE=1
  status=0
  dbus-run-session -- "$0" "$@" </dev/null || status=$?
  exit "$status"
fi

# --- inner stage: on the private bus ---
session_dir="$RAROZEZEV_DESKTOP_SESSION_DIR"
unset RAROZEZEV_DESKTOP_SESSION_DIR
pids=()

stop_all() {
  local pid i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    # Give each a moment to go quietly, then insist.
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap stop_all EXIT

# Polls CHECK... every 0.1 s for up to SECONDS; fails when it never succeeds.
wait_until() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    if "$@" >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

bus_name_has_owner() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" | grep -q 'boolean true'
}

# Keyring: a login keyring created and unlocked with a fixed test password.
printf 'rarozezev-test' | gnome-keyring-daemon --foreground --unlock --components=secrets \
  >"$session_dir/keyring.log" 2>&1 &
pids+=($!)
if ! wait_until 10 bus_name_has_owner org.freedesktop.secrets; then
  log "gnome-keyring-daemon did not take org.freedesktop.secrets"
  cat "$session_dir/keyring.log" >&2
  exit 1
fi

# X server on the first free display; it writes the display number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$session_dir/display" \
  >"$session_dir/xvfb.log" 2>&1 &
pids+=($!)
# The number is complete once its line ends; then wait until the server answers.
if ! wait_until 15 sh -c '[ "$(wc -l <"$1")" -ge 1 ]' sh "$session_dir/display"; then
  log "Xvfb did not start"
  cat "$session_dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(tr -dc '0-9' <"$session_dir/display")"
if ! wait_until 10 xdpyinfo; then
  log "Xvfb on $DISPLAY does not answer"
  cat "$session_dir/xvfb.log" >&2
  exit 1
fi

# A window manager announces itself on the root window. Give a slow start a second chance.
wm_started=false
for attempt in 1 2 3; do
  openbox --sm-disable >>"$session_dir/openbox.log" 2>&1 &
  wm_pid=$!
  if wait_until 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'; then
    pids+=("$wm_pid")
    wm_started=true
    break
  fi
  kill "$wm_pid" 2>/dev/null || true
  wait "$wm_pid" 2>/dev/null || true
  log "openbox did not start (attempt $attempt)"
done
if [ "$wm_started" != true ]; then
  cat "$session_dir/openbox.log" >&2
  exit 1
fi

notifyd=/usr/lib/x86_64-linux-gnu/xfce4/notifyd/xfce4-notifyd
if [ -x "$notifyd" ]; then
  "$notifyd" >"$session_dir/notifyd.log" 2>&1 &
  pids+=($!)
  wait_until 10 bus_name_has_owner org.freedesktop.Notifications ||
    log "no notification daemon on the bus; carrying on without one"
fi

# Sound: a private PulseAudio server whose default sink discards the sound; tests record its
# monitor source. Loaded from a minimal script rather than the system's default one, which
# would look for hardware, and allowed to run as root (CI containers run the tests as root).
pulse_dir="$session_dir/pulse"
mkdir -p "$pulse_dir"
cat >"$pulse_dir/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/native
load-module module-null-sink sink_name=rarozezev_null sink_properties=device.description=Null
set-default-sink rarozezev_null
PA
pulseaudio -n -F "$pulse_dir/default.pa" --daemonize=no --exit-idle-time=-1 --disallow-exit \
  --disable-shm=yes --use-pid-file=no --log-target=stderr >"$session_dir/pulseaudio.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$pulse_dir/native"
if ! wait_until 10 pactl info; then
  log "pulseaudio did not start"
  cat "$session_dir/pulseaudio.log" >&2
  exit 1
fi
# With nobody asking for low latency, the null sink renders in blocks of up to two seconds and
# notices a new stream only at the next block: its first fraction of a second plays, then the
# stream stalls and the player drops what came late. A reader of the monitor that asks for
# 10 ms keeps the sink rendering as often as a sound card would.
parec --latency-msec=10 --device=rarozezev_null.monitor >/dev/null 2>&1 &
pids+=($!)

# A headless Wayland compositor offering data-control, for the Wayland suites: sway, which
# refuses to run as root, so as root it runs as a user of its own. Its socket is handed to
# the tests by path (RAROZEZEV_TEST_WAYLAND_DISPLAY); WAYLAND_DISPLAY stays unset, so the
# programs under test still see an X11 session.
sway_dir=$(mktemp -d "${TMPDIR:-/tmp}/rarozezev-wayland.XXXXXX")
trap 'stop_all; rm -rf "$sway_dir"' EXIT
sway_env=(env -i PATH="$PATH" HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WLR_BACKENDS=headless
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman)
printf 'xwayland disable\n' >"$sway_dir/config"
if [ "$(id -u)" -eq 0 ]; then
  sway_user=rarozezev-wayland
  id -u "$sway_user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$sway_user"
  chown "$sway_user" "$sway_dir" "$sway_dir/config"
  sway_env=(runuser -u "$sway_user" -- "${sway_env[@]}")
fi
chmod 700 "$sway_dir"
"${sway_env[@]}" sway -c "$sway_dir/config" >"$session_dir/sway.log" 2>&1 &
pids+=($!)
if ! wait_until 15 sh -c 'ls "$1"/wayland-* | grep -qv "\.lock$"' sh "$sway_dir"; then
  log "sway did not start"
  cat "$session_dir/sway.log" >&2
  exit 1
fi
RAROZEZEV_TEST_WAYLAND_DISPLAY=$(ls "$sway_dir"/wayland-* | grep -v '\.lock$' | head -n 1)
export RAROZEZEV_TEST_WAYLAND_DISPLAY

status=0
"$@" || status=$?
exit "$status"
