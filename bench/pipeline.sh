#!/usr/bin/env bash
# measure.py's pipeline at TARGETS targets (default 100,000; see pipeline_files in common.sh),
# run read-only RUNS times (default 5) under GNU time: CPU seconds (user and system), peak
# memory and minor page faults of each run. With COUNT=1, one run under callgrind instead: the
# instructions it takes, which do not move with the machine's load (compare builds with it).
# GNU time and valgrind come from `bash scripts/setup.sh time valgrind`.
#
#   bench/pipeline.sh [TARGETS]            (BUILD=build by default)
source "$(dirname "$0")/common.sh"
targets=${1:-100000}
pipeline_files "$targets"
program=$(realpath "$build/hxo_cmdline")
export ORBITANE_SIM="$work/site.json" ORBITANE_SIM_READONLY=1
unset LINES
cd "$work"

if [ "${COUNT:-0}" = 1 ]; then
  valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" \
    "$program" scale.hxo 2>&1 > /dev/null | sed -n 's/.*Collected : /instructions: /p'
  exit
fi
echo "load before: $(load_average); $targets targets, $runs runs"
for _ in $(seq "$runs"); do
  /usr/bin/time -o "$work/time" -f "%U s user, %S s system, peak %M KB, %R minor faults" \
    "$program" scale.hxo > /dev/null
  cat "$work/time"
done
echo "load after: $(load_average)"
