#!/usr/bin/env bash
# The main job: installs what is missing, builds the Windows program and starts it
# under wine. On a machine without a display it runs inside a virtual X display
# and saves a screenshot of the window.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/setup.sh || exit 1
cmake --preset windows >/dev/null || exit 1
cmake --build --preset windows --target mirevo || exit 1

program=$PWD/build/windows/app/mirevo.exe
prefix=$PWD/build/windows/wine
shots=$PWD/build/windows/screenshots
mkdir -p "$shots"

if [ -n "${DISPLAY:-}" ]; then
  exec tools/wine-session.sh "$prefix" /usr/lib/wine/wine64 "$program"
fi

# Headless: start the program, give it time to draw, keep a picture, then close it.
xvfb-run -a -s "-screen 0 1024x768x24" tools/wine-session.sh "$prefix" bash -c '
  /usr/lib/wine/wine64 "$1" & pid=$!
  sleep 6
  import -window root "$2/main-window.png"
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null
  true' _ "$program" "$shots"
echo "screenshot: $shots/main-window.png"
