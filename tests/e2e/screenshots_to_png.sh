#!/usr/bin/env bash
# Turns the screenshots the end-to-end tests saved as bitmaps into PNG files.
# usage: screenshots_to_png.sh DIR
set -uo pipefail
status=0
for bitmap in "$1"/*.bmp; do
  [ -e "$bitmap" ] || continue
  convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap" || status=1
done
exit $status
