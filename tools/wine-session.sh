#!/usr/bin/env bash
# Runs a command inside one wine session on the given prefix: a persistent
# wineserver, with wine's background processes (services, the virtual desktop)
# started up front with their output detached. Without that, the first test
# program would start them, they would inherit its output pipe, and CTest would
# wait on that pipe until its time-out. Everything wine started is ended after.
# usage: wine-session.sh PREFIX_DIR COMMAND [ARGS...]
set -uo pipefail
prefix=$(realpath -m "$1")
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/wine-prefix.sh" "$prefix" || exit 1

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
server=/usr/lib/wine/wineserver
"$server" -k 2>/dev/null
"$server" -p
/usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null
# The desktop window belongs to explorer; start it detached when there is a display.
if [ -n "${DISPLAY:-}" ]; then
  setsid /usr/lib/wine/wine64 explorer.exe /desktop=Default,1024x768 >/dev/null 2>&1 </dev/null &
  sleep 1
fi

"$@"
result=$?
"$server" -k 2>/dev/null
"$server" -w 2>/dev/null
exit $result
