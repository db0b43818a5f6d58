#!/usr/bin/env bash
# What --check costs: a generated script of LINES lines (default 100,000) that declares an agent,
# its local broker and a DSM, then spawns targets, sets a property and a rule value on each and
# prints a line; checked RUNS times (default 5), the median printed with the machine's load.
#
#   bench/check.sh [LINES]            (BUILD=build by default)
source "$(dirname "$0")/common.sh"
lines=${1:-100000}

python3 - "$lines" "$work" <<'PY'
import sys
n, work = int(sys.argv[1]), sys.argv[2]
script = ["AUTH KORAS root", "AGENT hq 127.0.0.1", "hq.SPAWN br BROKER", "br.SPAWN d dsm1"]
i = 0
while len(script) < n:
    script += ["d.SPAWN t%d 10.%d.%d.%d" % (i, i >> 16 & 255, i >> 8 & 255, i & 255),
               "t%d.SET POLL_INTERVAL 30" % i, "t%d.QPK 12 5" % i, "PRINT line %d" % i]
    i += 1
with open(work + "/check.hxo", "w") as out:
    out.write("\n".join(script[:n]) + "\n")
PY

echo "load before: $(load_average); $runs runs, median"
for _ in $(seq "$runs"); do timed check "$build/hxo_cmdline" --check "$work/check.hxo"; done
printf "%d lines, --check: %7.3f s (%d diagnostics)\n" "$lines" "$(median check)" \
  "$("$build/hxo_cmdline" --check "$work/check.hxo" | wc -l)"
echo "load after: $(load_average)"
