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
