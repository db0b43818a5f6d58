#!/usr/bin/env bash
# Whole-process cost of many objects: a generated read-only installation of one agent, 10
# brokers, 100 DSMs and TARGETS targets (two properties each), and a script that spawns every
# one of them, then runs OBJECTS, TARGET.SET POLL 30, ALL.COMMIT and DROP ALL. Runs the script
# for TARGETS/10 and TARGETS targets (default 100,000) interleaved, RUNS times (default 5), and
# prints the medians and their ratio with the machine's load.
#
#   bench/objects_pipeline.sh [TARGETS]            (BUILD=build by default)
source "$(dirname "$0")/common.sh"
targets=${1:-100000}

# generate N: site-N.json and pipeline-N.hxo in $work
generate() {
  python3 - "$1" "$work" <<'PY'
import json, sys
n, work = int(sys.argv[1]), sys.argv[2]
per_dsm = n // 100
def address(i): return "10.%d.%d.%d" % (i >> 16 & 255, i >> 8 & 255, i & 255)
brokers, script = [], ["AUTH KORAS root", "AGENT a1 127.0.0.1"]
for b in range(10):
    script.append("a1.SPAWN b%d 10.250.0.%d" % (b, b + 1))
    dsms = []
    for d in range(10):
        k = b * 10 + d
        script.append("b%d.SPAWN d%d dsm%d" % (b, k, k))
        first = k * per_dsm
        dsms.append({"name": "dsm%d" % k, "targets": [
            {"ipaddr": address(i), "properties": {"POLL": "60", "DESCRIPTION": "target %d" % i}}
            for i in range(first, first + per_dsm)]})
        script.extend("d%d.SPAWN t%d %s" % (k, i, address(i)) for i in range(first, first + per_dsm))
    brokers.append({"ipaddr": "10.250.0.%d" % (b + 1), "dsms": dsms})
site = {"format": 1, "server": "KORAS",
        "agents": [{"ipaddr": "127.0.0.1", "brokers": brokers}]}
with open("%s/site-%d.json" % (work, n), "w") as out:
    json.dump(site, out, indent=2)
script += ["OBJECTS", "TARGET.SET POLL 30", "ALL.COMMIT", "DROP ALL"]
with open("%s/pipeline-%d.hxo" % (work, n), "w") as out:
    out.write("\n".join(script) + "\n")
PY
}

small=$((targets / 10))
generate "$small"
generate "$targets"

run() {  # N: one timed run of the pipeline over N targets
  timed "$1" env ORBITANE_SIM="$work/site-$1.json" ORBITANE_SIM_READONLY=1 \
    "$build/hxo_cmdline" "$work/pipeline-$1.hxo"
}

echo "load before: $(load_average); $runs interleaved runs, medians"
for _ in $(seq "$runs"); do
  run "$small"
  run "$targets"
done
a=$(median "$small"); b=$(median "$targets")
printf "%7d targets: %7.3f s\n%7d targets: %7.3f s\nratio (10x the objects): %.1f\n" \
  "$small" "$a" "$targets" "$b" "$(awk -v a="$a" -v b="$b" 'BEGIN { print b / a }')"
echo "load after: $(load_average)"
