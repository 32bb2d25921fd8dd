#!/usr/bin/env bash
# Download time and peak memory: the same large file from the same local test
# server, through download_with_progress and through a bare URLDownloadToFileW
# call, several runs of each in turn, each run a process of its own. Prints each
# run, the medians and the ratio of the median times.
# usage: bench/download_bench.sh BUILD_DIR [RUNS] [MEGABYTES] [http|https]
#   BUILD_DIR  a Windows build tree with the download_bench target built (and
#              trust_ca, for https)
#   RUNS       runs of each kind (default 5)
#   MEGABYTES  size of the file (default 200)
#   SCHEME     http (default) or https, with the test CA trusted by the prefix
set -euo pipefail
build=$(realpath "$1")
runs=${2:-5}
megabytes=${3:-200}
scheme=${4:-http}
case $scheme in http | https) ;; *) echo "scheme must be http or https" >&2; exit 2 ;; esac
bytes=$((megabytes * 1024 * 1024))
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
state=$build/bench_server
certs=$build/bench_certs
"$root/tools/test_ca/make_certs.sh" "$certs" >/dev/null
python3 "$root/tools/test_server/test_server.py" start --state "$state" --certs "$certs" >/dev/null
trap 'python3 "$root/tools/test_server/test_server.py" stop --state "$state"' EXIT
port=$(sed -n "s/^${scheme}_port=//p" "$state/server.env")

# The file goes to the prefix's temporary folder; /large streams its body
# without holding it in memory.
file='C:\windows\temp\mirevo-download-bench.bin'
results=$(mktemp)
run_all() {
  local run mode
  if [ "$scheme" = https ]; then
    "$root/tools/wine-run.sh" "$build/wine" "$build/tests/net/trust_ca.exe" "Z:${certs//\//\\}\\ca.der" || return 1
  fi
  for run in $(seq 1 "$runs"); do
    for mode in progress bare; do
      # A fresh address per run keeps the platform's cache out of the figures.
      "$root/tools/wine-run.sh" "$build/wine" "$build/bench/download_bench.exe" "$mode" \
        "$scheme://localhost:$port/large?bytes=$bytes&run=$run-$mode-$RANDOM" "$file" "$bytes" | tr -d '\r' |
        tee -a "$results"
    done
  done
}
echo "download of $megabytes MB ($bytes bytes) from $scheme://localhost:$port/large, $runs runs of each"
export -f run_all
export root build port bytes file runs results scheme certs
"$root/tools/wine-session.sh" "$build/wine" bash -c run_all
python3 - "$results" <<'PY'
import statistics, sys
rows = [dict(f.split("=", 1) for f in line.split()) for line in open(sys.argv[1]) if line.startswith("mode=")]
median = {}
for mode in ("progress", "bare"):
    mine = [r for r in rows if r["mode"] == mode]
    good = [r for r in mine if r["ok"] == "1"]
    if not good:
        sys.exit("no successful %s run" % mode)
    ms = statistics.median(float(r["ms"]) for r in good)
    median[mode] = ms
    print("%-8s ok %d/%d  median %7.0f ms  (%.1f MB/s)  median peak working set %6.1f MB  peak pagefile %6.1f MB"
          % (mode, len(good), len(mine), ms, int(good[0]["bytes"]) / 1048576 / (ms / 1000),
             statistics.median(int(r["peak_working_set_kb"]) for r in good) / 1024,
             statistics.median(int(r["peak_pagefile_kb"]) for r in good) / 1024))
print("ratio download_with_progress / bare URLDownloadToFileW (median times): %.2f" % (median["progress"] / median["bare"]))
PY
rm -f "$results"
