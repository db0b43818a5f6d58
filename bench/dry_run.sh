#!/usr/bin/env bash
# What a plan costs: a generated site of one agent, one local broker and one DSM of TARGETS
# targets (default 100,000), and a script that spawns every target, sets one property on all of
# them and commits (TARGET.SET POLL 30, TARGET.COMMIT, which also sends reload to each). Runs it
# with --read-only and with --dry-run (the plan to /dev/null), interleaved, RUNS times (default
# 5), and prints the medians with the machine's load.
#
#   bench/dry_run.sh [TARGETS]            (BUILD=build by default)
source "$(dirname "$0")/common.sh"
targets=${1:-100000}

python3 - "$targets" "$work" <<'PY'
import json, sys
n, work = int(sys.argv[1]), sys.argv[2]
def address(i): return "10.%d.%d.%d" % (i >> 16 & 255, i >> 8 & 255, i & 255)
site = {"format": 1, "server": "KORAS", "agents": [{"ipaddr": "127.0.0.1", "brokers": [
    {"ipaddr": "127.0.0.1", "local": True, "dsms": [{"name": "dsm1", "targets": [
        {"ipaddr": address(i), "properties": {"POLL": "60"}} for i in range(n)]}]}]}]}
with open(work + "/site.json", "w") as out:
    json.dump(site, out)
script = ["AUTH KORAS root", "AGENT a1 127.0.0.1", "a1.SPAWN b1 BROKER", "b1.SPAWN d1 dsm1"]
script += ["d1.SPAWN t%d %s" % (i, address(i)) for i in range(n)]
script += ["TARGET.SET POLL 30", "TARGET.COMMIT"]
with open(work + "/plan.hxo", "w") as out:
    out.write("\n".join(script) + "\n")
PY

run() { timed "$1" "$build/hxo_cmdline" --sim "$work/site.json" "$2" "$work/plan.hxo"; }

echo "load before: $(load_average); $runs interleaved runs, medians"
for _ in $(seq "$runs"); do
  run read-only --read-only
  run dry-run --dry-run
done
lines=$("$build/hxo_cmdline" --sim "$work/site.json" --dry-run "$work/plan.hxo" | wc -l)
printf "%d targets, --read-only: %7.3f s\n" "$targets" "$(median read-only)"
printf "%d targets, --dry-run:   %7.3f s (%d plan lines)\n" "$targets" "$(median dry-run)" "$lines"
echo "load after: $(load_average)"
