#!/usr/bin/env bash
# Installs what is missing, builds the native and the Windows configurations, and
# runs every test: natively, then under wine inside a virtual X display.
# Exits non-zero when any build step or any test fails.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/setup.sh || exit 1

status=0
run() {
  echo "==> $*"
  "$@" || status=1
}

run_native() {
  cmake --preset linux >/dev/null || return 1
  cmake --build --preset linux || return 1
  ctest --preset linux
}

run_windows() {
  cmake --preset windows >/dev/null || return 1
  cmake --build --preset windows || return 1
  xvfb-run -a -s "-screen 0 1024x768x24" \
    tools/wine-session.sh build/windows/wine ctest --preset windows
}

run run_native
run run_windows

if [ $status -eq 0 ]; then echo "==> all builds and tests passed"; else echo "==> FAILED"; fi
exit $status
