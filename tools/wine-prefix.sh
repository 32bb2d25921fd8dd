#!/usr/bin/env bash
# Creates the test wine prefix once: fonts, the Kai face, Chinese font links,
# a virtual desktop, and no crash debugger.
# usage: wine-prefix.sh PREFIX_DIR
# Safe to call from parallel test processes: creation runs under a lock.
set -euo pipefail
prefix=$(realpath -m "$1")
stamp=$prefix/.mirevo-ready-2  # a new name whenever the set-up below changes
[ -f "$stamp" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$stamp" ] && exit 0

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
rm -rf "$prefix"
echo "wine-prefix: creating $prefix" >&2
"$wine" wineboot -i >/dev/null 2>&1 || true
"$server" -w

# Debian's wine looks for its own fonts elsewhere; without them captions lack Tahoma and Marlett.
fonts=$prefix/drive_c/windows/Fonts
mkdir -p "$fonts"
cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
cp /usr/share/fonts/truetype/arphic/ukai.ttc "$fonts/" 2>/dev/null || true

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  printf '\xff\xfe'
  iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"楷体"="AR PL UKai CN"
"KaiTi"="AR PL UKai CN"
"楷体_GB2312"="AR PL UKai CN"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"=hex(7):75,00,6b,00,61,00,69,00,2e,00,74,00,74,00,63,00,2c,00,41,00,52,00,20,00,50,00,4c,00,20,00,55,00,4b,00,61,00,69,00,20,00,43,00,4e,00,00,00,00,00
"Tahoma Bold"=hex(7):75,00,6b,00,61,00,69,00,2e,00,74,00,74,00,63,00,2c,00,41,00,52,00,20,00,50,00,4c,00,20,00,55,00,4b,00,61,00,69,00,20,00,43,00,4e,00,00,00,00,00
"Microsoft Sans Serif"=hex(7):75,00,6b,00,61,00,69,00,2e,00,74,00,74,00,63,00,2c,00,41,00,52,00,20,00,50,00,4c,00,20,00,55,00,4b,00,61,00,69,00,20,00,43,00,4e,00,00,00,00,00

; A crashing test program must end at once with its error, not wait in the debugger.
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="false"
"Auto"="1"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
} >"$reg"
"$wine" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
"$server" -k 2>/dev/null || true
"$server" -w

touch "$stamp"
echo "wine-prefix: ready" >&2
