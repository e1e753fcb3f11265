#!/usr/bin/env bash
# Renders every state of the lookup panel and every other window offscreen, over fake
# services, as PNGs for people to look at: in the light and the dark scheme, and at a scale
# of 2 on a 1600 × 900 screen (800 × 450 logical pixels, the windows fitted to it). Writes
# build/screenshots/{light,dark,scale-2}/ and an index.html that shows them side by side.
# Not a test: it checks nothing.
#
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
build_dir="${RAROZEZEV_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target render_screenshots
renderer="$build_dir/test-helpers/render_screenshots"
out="$build_dir/screenshots"
rm -rf "$out"
LC_ALL=C.UTF-8 "$renderer" "$out/light" light
LC_ALL=C.UTF-8 "$renderer" "$out/dark" dark
LC_ALL=C.UTF-8 QT_SCALE_FACTOR=2 "$renderer" "$out/scale-2" light 800x450

{
  echo '<!DOCTYPE html><meta charset="utf-8"><title>Screenshots</title>'
  echo '<style>body{font-family:sans-serif} td{vertical-align:top;padding:8px} img{max-width:100%}</style>'
  echo '<table><tr><th></th><th>light</th><th>dark</th><th>scale 2, 800 × 450</th></tr>'
  for shot in "$out"/light/*.png; do
    name=$(basename "$shot" .png)
    echo "<tr><th>$name</th>"
    for scheme in light dark scale-2; do
      echo "<td><img src=\"$scheme/$name.png\" width=\"400\"></td>"
    done
    echo '</tr>'
  done
  echo '</table>'
} >"$out/index.html"
echo "$out/index.html"
