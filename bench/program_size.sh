#!/usr/bin/env bash
# Size of the program file, of the skin-engine library it carries inside it, and
# of the minimal window program for comparison.
# usage: bench/program_size.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
for file in app/mirevo.exe app/skin_engine/Qor_SkinH_EL.dll bench/minimal_window.exe; do
  if [ -f "$build/$file" ]; then
    bytes=$(stat -c %s "$build/$file")
    printf '%-34s %10d bytes  %8.1f KiB\n' "$file" "$bytes" "$(echo "$bytes / 1024" | bc -l)"
  else
    printf '%-34s not built\n' "$file"
  fi
done
