#!/usr/bin/env bash
# Runs a Windows program under wine with the project's own prefix.
# usage: wine-run.sh PREFIX_DIR PROGRAM [ARGS...]
# CTest and gtest discovery call it as the cross-compiling emulator.
set -euo pipefail
prefix=$1
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
