#!/usr/bin/env bash
# Peak memory of mirevo.exe during a large download, driven as a user would: the
# reference parsing service (on the port of the build's MIREVO_SERVICE_BASE)
# answers with a video it streams itself, and the driver samples the program's
# memory until the outcome's message box. Several runs, each a fresh start of the
# program; prints each run and the medians. Runs under its own virtual X display
# when there is none.
# usage: bench/download_memory_bench.sh BUILD_DIR [RUNS] [MEGABYTES]
#   BUILD_DIR  a Windows build tree with mirevo, download_memory_bench and trust_ca built
#   RUNS       runs (default 3)
#   MEGABYTES  size of the video (default 200)
set -euo pipefail
build=$(realpath "$1")
runs=${2:-3}
megabytes=${3:-200}
bytes=$((megabytes * 1024 * 1024))
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

base=$(sed -n 's/^MIREVO_SERVICE_BASE:[A-Z]*=//p' "$build/CMakeCache.txt")
port=${base##*:}
case $port in '' | *[!0-9]*) echo "no port in MIREVO_SERVICE_BASE ($base)" >&2; exit 1 ;; esac

certs=$build/bench_certs
state=$build/bench_service
"$root/tools/test_ca/make_certs.sh" "$certs" >/dev/null
rm -f "$state/server.env"
mkdir -p "$state"
setsid python3 "$root/bench/bench_service.py" serve --state "$state" --certs "$certs" --port "$port" \
  --idle-exit 600 >"$state/server.out" 2>&1 </dev/null &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null; wait "$service_pid" 2>/dev/null' EXIT
for _ in $(seq 100); do
  [ -f "$state/server.env" ] && break
  kill -0 "$service_pid" 2>/dev/null || { cat "$state/server.out" >&2; exit 1; }
  sleep 0.1
done
[ -f "$state/server.env" ] || { echo "the reference service did not start" >&2; exit 1; }

save=$build/bench_saved
mkdir -p "$save"
results=$(mktemp)
run_all() {
  "$root/tools/wine-run.sh" "$build/wine" "$build/tests/net/trust_ca.exe" "$(windows_path "$certs/ca.der")" ||
    return 1
  local run
  for run in $(seq 1 "$runs"); do
    "$root/tools/wine-run.sh" "$build/wine" "$build/bench/download_memory_bench.exe" \
      "$(windows_path "$build/app/mirevo.exe")" "$(windows_path "$save")\\" \
      "https://v.mirevo.test/bench-large?size=$bytes&run=$run-$RANDOM" "$bytes" | tr -d '\r' | tee -a "$results"
  done
}
echo "mirevo.exe downloading $megabytes MB ($bytes bytes) from $base, $runs runs"
export -f run_all windows_path
export root build certs runs save bytes results
"$root/tools/wine-session.sh" "$build/wine" bash -c run_all
python3 - "$results" <<'PY'
import statistics, sys
rows = []
for line in open(sys.argv[1]):
    if line.startswith("ok="):
        figures, _, message = line.rstrip("\n").partition(" message=")
        rows.append(dict(f.split("=", 1) for f in figures.split()))
good = [r for r in rows if r["ok"] == "1"]
if not good:
    sys.exit("no successful run")
def mb(key):
    return statistics.median(int(r[key]) for r in good) / 1024
print("ok %d/%d  median time to the outcome %.0f ms" % (len(good), len(rows), statistics.median(float(r["ms"]) for r in good)))
print("median working set when idle before the download %.1f MB" % mb("idle_working_set_kb"))
print("median peak working set %.1f MB, peak pagefile usage %.1f MB" % (mb("peak_working_set_kb"), mb("peak_pagefile_kb")))
print("median largest sampled working set %.1f MB, pagefile usage %.1f MB"
      % (mb("sampled_working_set_kb"), mb("sampled_pagefile_kb")))
PY
rm -f "$results"
