# What the whole-process benchmarks share; sourced by them. Strict mode, the repository as the
# working folder, BUILD (default build) and RUNS (default 5), a scratch folder $work removed at
# exit, a timed run and the median of its times.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[1]}")/.."
build=${BUILD:-build}
runs=${RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# timed LABEL COMMAND...: runs the command with its output to /dev/null and appends its wall time
# in seconds to $work/times-LABEL.
timed() {
  local label=$1 start end
  shift
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }' >> "$work/times-$label"
}

# median LABEL: the median of the times of LABEL.
median() { sort -g "$work/times-$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The load average over 1, 5 and 15 minutes.
load_average() { cut -d' ' -f1-3 /proc/loadavg; }

# pipeline_files TARGETS: the files of measure.py's pipeline in $work: site.json, a read-only
# site of 1 agent, 10 brokers, 100 DSMs and TARGETS targets, and scale.hxo, which spawns them all,
# then OBJECTS, TARGET.SET POLL 30, ALL.COMMIT and DROP ALL.
pipeline_files() {
  python3 - "$1" "$work" <<'PY'
import json, sys
n, work = int(sys.argv[1]), sys.argv[2]
per = n // 100
site = {"format": 1, "server": "KORAS", "users": {"root": ""}, "agents": [{
    "ipaddr": "10.1.1.1", "properties": {"POLL": "60"}, "brokers": []}]}
lines = ["AUTH KORAS root", "AGENT a1 10.1.1.1"]
t = 0
for b in range(10):
    br = {"ipaddr": "10.1.2.%d" % (b + 1), "version": "4.2", "properties": {"POLL": "60"}, "dsms": []}
    lines.append("a1.SPAWN b%d 10.1.2.%d" % (b, b + 1))
    for k in range(10):
        ds = {"name": "dsm%d" % k, "properties": {"POLL": "60"}, "targets": []}
        lines.append("b%d.SPAWN d%d_%d dsm%d" % (b, b, k, k))
        for _ in range(per):
            ip = "10.%d.%d.%d" % (100 + t // 65025, (t // 255) % 255, t % 255 + 1)
            ds["targets"].append({"ipaddr": ip, "properties": {"POLL": "60"}})
            lines.append("d%d_%d.SPAWN t%d %s" % (b, k, t, ip))
            t += 1
        br["dsms"].append(ds)
    site["agents"][0]["brokers"].append(br)
lines += ["OBJECTS", "TARGET.SET POLL 30", "ALL.COMMIT", "DROP ALL", ""]
json.dump(site, open(work + "/site.json", "w"))
open(work + "/scale.hxo", "w").write("\n".join(lines))
PY
}
