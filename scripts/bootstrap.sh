#!/usr/bin/env bash
# Installs every Debian 12 package Rarozezev needs to build, test and run.
# Idempotent: packages already present are left alone. Runs as root or through sudo.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git clang lld libclang-rt-14-dev
  # Qt and friends
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-svg-dev qt6-multimedia-dev
  qt6-gtk-platformtheme libqt6svg6 qcoro-qt6-dev qtkeychain-qt6-dev
  # QtKeychain loads libsecret at run time to reach the Secret Service; nothing depends on it
  libsecret-1-0
  # storage, speech, dictionary
  libsqlite3-dev sqlite3 libespeak-ng-dev espeak-ng-data wordnet-base zlib1g-dev
  # X11
  libx11-dev libx11-xcb-dev libxcb1-dev libxcb-xtest0-dev libxcb-record0-dev
  libxcb-keysyms1-dev libxcb-xkb-dev libxtst-dev libxkbcommon-dev
  # audio (GStreamer backend of Qt Multimedia, which plays through PulseAudio)
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
  # fonts so Chinese renders
  fonts-wqy-microhei
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev python3 python3-openpyxl unzip curl gcovr ccache
  xvfb xauth x11-utils xdotool openbox dbus dbus-x11 gnome-keyring libsecret-tools
  xfce4-notifyd procps pulseaudio pulseaudio-utils
  # the Debian package and its checks (scripts/package-check.sh)
  dpkg-dev file lintian desktop-file-utils appstream man-db groff-base bsdextrautils librsvg2-bin
  # Wayland: the client library and its scanner, Qt's Wayland platform, and a headless
  # compositor with wl-clipboard for tests
  libwayland-dev libwayland-bin qt6-wayland sway wl-clipboard
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
echo "bootstrap: installing ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
  --no-install-recommends "${missing[@]}"
