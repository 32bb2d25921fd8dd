#!/usr/bin/env bash
# Runs the driver of the real program under wine, then turns the screenshots it
# saved as bitmaps into PNG files next to them.
# usage: gui_driver.sh PREFIX_DIR DRIVER_EXE SCREENSHOT_DIR
set -uo pipefail
prefix=$1
driver=$2
shots=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$shots"
rm -f "$shots"/*.bmp "$shots"/*.png
"$here/../../tools/wine-run.sh" "$prefix" "$driver"
status=$?
for bitmap in "$shots"/*.bmp; do
  [ -e "$bitmap" ] || continue
  convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
exit $status
