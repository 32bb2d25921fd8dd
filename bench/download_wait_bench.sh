#!/usr/bin/env bash
# Runs the download wait benchmark under wine against a test server of its own.
# usage: bench/download_wait_bench.sh BUILD_DIR [SECONDS]
#   BUILD_DIR  a Windows build tree with the download_wait_bench target built
#   SECONDS    how long the throttled download takes (default 3)
set -euo pipefail
build=$(realpath "$1")
seconds=${2:-3}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
state=$build/bench_server
certs=$build/bench_certs
"$root/tools/test_ca/make_certs.sh" "$certs" >/dev/null
python3 "$root/tools/test_server/test_server.py" start --state "$state" --certs "$certs" >/dev/null
trap 'python3 "$root/tools/test_server/test_server.py" stop --state "$state"' EXIT
port=$(sed -n 's/^http_port=//p' "$state/server.env")
"$root/tools/wine-run.sh" "$build/wine" "$build/bench/download_wait_bench.exe" "http://localhost:$port" "$seconds"
