#!/usr/bin/env bash
# Start-up time of mirevo.exe against the minimal window program, under the same
# wine session and virtual desktop; runs under its own virtual X display when
# there is none.
# usage: bench/startup_bench.sh BUILD_DIR [RUNS]
#   BUILD_DIR  a Windows build tree with mirevo, minimal_window and startup_bench built
#   RUNS       measured starts of each program (default 11)
set -euo pipefail
build=$(realpath "$1")
runs=${2:-11}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
"$root/tools/wine-session.sh" "$build/wine" "$root/tools/wine-run.sh" "$build/wine" \
  "$build/bench/startup_bench.exe" "$runs" \
  "$(windows_path "$build/app/mirevo.exe")" "$(windows_path "$build/bench/minimal_window.exe")"
