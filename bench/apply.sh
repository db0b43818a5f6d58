#!/usr/bin/env bash
# What applying a saved plan costs over running its script: a generated site of one agent, one
# local broker and one DSM of TARGETS targets (default 100,000), and a script that spawns every
# target, sets one property on all of them and commits (TARGET.SET POLL 30, TARGET.COMMIT). The
# plan is saved once (--plan FILE.json); then the script runs with --read-only and the plan with
# --read-only --apply (checks of the scripts and of every node read, the run, and the comparison
# of its changes with the plan), interleaved, RUNS times (default 5).
#
# A real run writes the whole site back after each change, which for 100,000 changed targets
# takes hours: the real runs (the plain script, and --apply of a fresh copy of the plan) are
# timed on REAL_TARGETS targets (default 1,000), each on a fresh copy of the site.
#
#   bench/apply.sh [TARGETS [REAL_TARGETS]]            (BUILD=build by default)
source "$(dirname "$0")/common.sh"
targets=${1:-100000}
real_targets=${2:-1000}

generate() {  # N: site-N.json, apply-N.hxo and plan-N.json in $work
  python3 - "$1" "$work" <<'PY'
import json, sys
n, work = int(sys.argv[1]), sys.argv[2]
def address(i): return "10.%d.%d.%d" % (i >> 16 & 255, i >> 8 & 255, i & 255)
site = {"format": 1, "server": "KORAS", "agents": [{"ipaddr": "127.0.0.1", "brokers": [
    {"ipaddr": "127.0.0.1", "local": True, "dsms": [{"name": "dsm1", "targets": [
        {"ipaddr": address(i), "properties": {"POLL": "60"}} for i in range(n)]}]}]}]}
with open("%s/site-%d.json" % (work, n), "w") as out:
    json.dump(site, out)
script = ["AUTH KORAS root", "AGENT a1 127.0.0.1", "a1.SPAWN b1 BROKER", "b1.SPAWN d1 dsm1"]
script += ["d1.SPAWN t%d %s" % (i, address(i)) for i in range(n)]
script += ["TARGET.SET POLL 30", "TARGET.COMMIT"]
with open("%s/apply-%d.hxo" % (work, n), "w") as out:
    out.write("\n".join(script) + "\n")
PY
  "$build/hxo_cmdline" --sim "$work/site-$1.json" --plan "$work/plan-$1.json" \
    "$work/apply-$1.hxo" > /dev/null
}

generate "$targets"
generate "$real_targets"
echo "plan of $targets targets: $(wc -c < "$work/plan-$targets.json") bytes"

in_memory() {  # LABEL ARGUMENTS...
  local label=$1
  shift
  timed "$label" "$build/hxo_cmdline" --sim "$work/site-$targets.json" --read-only "$@"
}

# LABEL ARGUMENTS...: on a fresh copy of the site (and of the plan, which --apply marks). The
# copy's name is as long as the site's, so that the plan's record keeps its length in bytes and
# --apply reads the plan as it reads the one it wrote.
real() {
  local label=$1 n=$real_targets
  shift
  cp "$work/site-$n.json" "$work/copy-$n.json"
  sed "s|$work/site-$n.json|$work/copy-$n.json|" "$work/plan-$n.json" > "$work/real-plan.json"
  timed "$label" "$build/hxo_cmdline" --sim "$work/copy-$n.json" "$@"
}

echo "load before: $(load_average); $runs interleaved runs, medians"
for _ in $(seq "$runs"); do
  in_memory script "$work/apply-$targets.hxo"
  in_memory apply --apply "$work/plan-$targets.json"
  real real-script "$work/apply-$real_targets.hxo"
  real real-apply --apply "$work/real-plan.json"
done
report() {  # LABEL-A LABEL-B TEXT
  local a b
  a=$(median "$1"); b=$(median "$2")
  printf "%s: %.3f s, with --apply %.3f s (+%.1f%%)\n" "$3" "$a" "$b" \
    "$(awk -v a="$a" -v b="$b" 'BEGIN { print (b / a - 1) * 100 }')"
}
report script apply "$targets targets, --read-only"
report real-script real-apply "$real_targets targets, written back"
echo "load after: $(load_average)"
