#!/usr/bin/env bash
# The main job: installs what is missing, builds the Windows program and starts it
# under wine together with the reference parsing service, which the program asks
# at the base address compiled into it (https://localhost:47443 by default), with
# the project's test CA trusted in the wine prefix.
#
# With a display the program opens for use; the service stops when it is closed.
# Without one it runs inside a virtual X display, one download is driven through
# the window, and the saved file's path and the screenshots' paths are printed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# MIREVO_BUILD_DIR names another build tree than the preset's, to try the job
# beside a build that is in use.
build=$(realpath -m "${MIREVO_BUILD_DIR:-build/windows}")

tools/setup.sh || exit 1
cmake --preset windows -B "$build" >/dev/null || exit 1
cmake --build "$build" -j2 --target mirevo trust_ca e2e_demo || exit 1

program=$build/app/mirevo.exe
prefix=$build/wine
certs=$build/test_certs
service_state=$build/reference_service
shots=$build/screenshots/main_job
downloads=$build/downloads
service=tools/reference_service/reference_service.py

base=$(sed -n 's/^MIREVO_SERVICE_BASE:STRING=//p' "$build/CMakeCache.txt")
if [[ ! $base =~ ^https://localhost:([0-9]+)$ ]]; then
  echo "run: the program asks $base; the reference service serves only https://localhost:PORT" >&2
  exit 1
fi
port=${BASH_REMATCH[1]}

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

tools/test_ca/make_certs.sh "$certs" || exit 1
python3 "$service" start --state "$service_state" --certs "$certs" --port "$port" --idle-exit 3600 >/dev/null || exit 1
trap 'python3 "$service" stop --state "$service_state"' EXIT
echo "run: reference parsing service at $base"

trust="/usr/lib/wine/wine64 '$build/tests/net/trust_ca.exe' '$(windows_path "$certs/ca.der")' >/dev/null"

if [ -n "${DISPLAY:-}" ]; then
  tools/wine-session.sh "$prefix" bash -c "$trust && /usr/lib/wine/wine64 '$program'"
  exit $?
fi

# Headless: one download through the window, kept as screenshots.
mkdir -p "$shots" "$downloads"
rm -f "$shots"/*.bmp "$shots"/*.png
output=$(xvfb-run -a -s "-screen 0 1024x768x24" tools/wine-session.sh "$prefix" bash -c "$trust &&
  /usr/lib/wine/wine64 '$build/tests/e2e/e2e_demo.exe' '$(windows_path "$program")' \
    '$(windows_path "$downloads")' '$(windows_path "$shots")' 'https://v.douyin.com/mirevo-demo/'")
status=$?
for bitmap in "$shots"/*.bmp; do
  [ -e "$bitmap" ] || continue
  convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
echo "$output" | grep -v '^saved: '
saved=$(echo "$output" | sed -n 's/^saved: Z://p' | tr -d '\r' | tr '\\' '/')
if [ $status -ne 0 ] || [ -z "$saved" ]; then
  echo "run: the download did not succeed" >&2
  exit 1
fi
echo "saved file: $saved"
for shot in "$shots"/main_job_download.png "$shots"/main_job_message.png; do
  [ -e "$shot" ] && echo "screenshot: $shot"
done
exit 0
