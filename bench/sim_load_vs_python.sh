#!/bin/sh
# Loading a generated site file: the simulator (initAPI with ORBITANE_SIM) side by side with
# python3's json.load of the same file, in one run on one machine.
#
#   bench/sim_load_vs_python.sh [TARGETS] [BUILD_DIR]      (defaults: 100000 build)
set -eu
targets=${1:-100000}
build=${2:-build}
here=$(cd "$(dirname "$0")" && pwd)
bench="$build/bench/hxo_bench"
[ -x "$bench" ] || { echo "build $bench first (cmake --build $build --target hxo_bench)" >&2; exit 1; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
file="$folder/site.json"

python3 - "$targets" "$file" <<'PY'
import json, sys
n, path = int(sys.argv[1]), sys.argv[2]
dsms = []
for first in range(0, n, 1000):
    dsms.append({"name": "dsm%d" % (first // 1000), "targets": [
        {"ipaddr": "10.%d.%d.%d" % (i >> 16 & 255, i >> 8 & 255, i & 255), "community": "public",
         "properties": {"POLL": str(i), "DESCRIPTION": "target number %d" % i}}
        for i in range(first, min(n, first + 1000))]})
site = {"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.0.0.1", "brokers": [
    {"ipaddr": "127.0.0.1", "local": True, "version": "4.2", "dsms": dsms}]}]}
with open(path, "w") as out:
    json.dump(site, out, indent=2)
PY
echo "file: $targets targets, $(wc -c < "$file") bytes"

python3 - "$file" <<'PY'
import json, sys, time
best = None
for _ in range(5):
    start = time.perf_counter()
    with open(sys.argv[1]) as f:
        json.load(f)
    took = time.perf_counter() - start
    best = took if best is None else min(best, took)
print("python3 json.load:  %8.1f ms (best of 5)" % (best * 1000))
PY

SIM_BENCH_FILE="$file" "$bench" --benchmark_filter='^BM_SimLoadFile$' --benchmark_repetitions=5 \
  2>/dev/null |
  awk '$1 == "BM_SimLoadFile" { if (best == "" || $2 < best) best = $2 }
       END { printf "simulator load:     %8.1f ms (best of 5)\n", best }'
