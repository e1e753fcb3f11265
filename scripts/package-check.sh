#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian finds no errors, the desktop entry and the
# AppStream metadata validate, the program unpacked from the package runs (version, an offline
# dictionary lookup, an AI lookup that reaches the network, the autostart entry it writes), and
# the manual page renders and documents every command that --help lists.
#
#   scripts/package-check.sh          # after scripts/bootstrap.sh; uses build/ (RAROZEZEV_BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${RAROZEZEV_BUILD_DIR:-build}"
app_id=com.rarozezev.Rarozezev
fail() { echo "package-check: $*" >&2; exit 1; }

# The package installs under /usr; the paths the program and its D-Bus service carry say so.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build_dir"
rm -rf "$build_dir/package"
(cd "$build_dir" && cpack -G DEB -B package >/dev/null)
deb=$(echo "$build_dir"/package/rarozezev_*.deb)
[ -f "$deb" ] || fail "no package was built"
echo "package-check: $deb"

lintian_report=$(lintian --fail-on error "$deb" 2>&1) || { echo "$lintian_report"; fail "lintian reports errors"; }
grep -v 'root privileges' <<<"$lintian_report" || true

# Every dependency can be met from the configured archives (nothing is installed).
apt-get -s -qq install "$(realpath "$deb")" >/dev/null || fail "the dependencies cannot be met"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
[ -z "$(find "$root" -mindepth 1 -maxdepth 1 ! -name usr)" ] || fail "files outside /usr"

desktop-file-validate "$root/usr/share/applications/$app_id.desktop" | { grep -v ': hint: ' || true; }
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" >/dev/null || fail "desktop entry"
appstreamcli validate --no-net --no-color "$root/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null \
  || { appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"; fail "AppStream metadata"; }
for size in 16 24 32 48 64 128 256; do
  [ -s "$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png" ] || fail "no ${size}px icon"
done
[ -s "$root/usr/share/icons/hicolor/symbolic/apps/$app_id-symbolic.svg" ] || fail "no symbolic icon"
grep -qx "Exec=/usr/bin/rarozezev" "$root/usr/share/dbus-1/services/$app_id.service" || fail "D-Bus service"

# The unpacked program, with a home of its own and nothing of the caller's session.
program="$root/usr/bin/rarozezev"
run() {
  env -i PATH=/usr/bin:/bin HOME="$scratch/home" LC_ALL=C.UTF-8 "$program" "$@"
}
run_with_key() {
  env -i PATH=/usr/bin:/bin HOME="$scratch/home" LC_ALL=C.UTF-8 RAROZEZEV_AI_API_KEY=sk-check "$program" "$@"
}
mkdir -p "$scratch/home"
[ "$(run --version | head -n 1)" = "rarozezev $(dpkg-deb -f "$deb" Version)" ] || fail "--version"
run --version | grep -q 'CC-CEDICT' || fail "--version names the gloss table's source"
run lookup --source dictionary serendipity | grep -q 'fortunate discoveries' || fail "offline dictionary lookup"
run lookup --source dictionary went | grep -q '中文：去' || fail "the installed gloss table"
# HTTP is a module of its own, loaded at the first request; nothing listens on the discard port.
run config set aiBaseURL http://127.0.0.1:9/v1/chat/completions
run config set aiModel check
refused=$(run_with_key lookup --no-cache serendipity 2>&1 || true)
grep -q '无法连接服务器' <<<"$refused" || { echo "$refused"; fail "an AI lookup through the network module"; }
run config set launchAtLogin true
desktop-file-validate "$scratch/home/.config/autostart/$app_id.desktop" || fail "autostart entry"
grep -qx "Exec=$program" "$scratch/home/.config/autostart/$app_id.desktop" || fail "autostart Exec"
run config set launchAtLogin false
[ ! -e "$scratch/home/.config/autostart/$app_id.desktop" ] || fail "autostart entry left behind"

# The manual page renders without complaint and has a section for every command --help lists.
page="$root/usr/share/man/man1/rarozezev.1.gz"
rendered=$(MANWIDTH=100 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>"$scratch/man-warnings" | col -b)
[ ! -s "$scratch/man-warnings" ] || { cat "$scratch/man-warnings"; fail "the manual page has warnings"; }
commands=$(run --help | awk '/^[^ ]/ { section = $0 } section ~ /^命令/ && /^  [a-z]/ { print $1 }')
[ -n "$commands" ] || fail "--help lists no commands"
for command in $commands; do
  grep -qx "   $command" <<<"$rendered" || fail "the manual page has no section for '$command'"
  run "$command" --help | grep -q . || fail "'$command' has no help"
done

# The bash completion offers what the help does.
offered=$(bash -c 'source "$1"; COMP_WORDS=("$2" open ""); COMP_CWORD=2; _rarozezev_complete; echo "${COMPREPLY[*]}"' \
  _ "$root/usr/share/bash-completion/completions/rarozezev" "$program")
[[ " $offered " == *" lookup "* ]] || fail "bash completion of 'open': '$offered'"
echo "package-check: all checks passed"
