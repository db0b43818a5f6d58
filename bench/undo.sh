#!/usr/bin/env bash
# What --undo costs over a plain run, in the conditions of ../shared/bench/measure.py's pipeline: a
# read-only site of 1 agent, 10 brokers, 100 DSMs and TARGETS targets (default 100,000), and a
# script that spawns them all, then OBJECTS, TARGET.SET POLL 30, ALL.COMMIT and DROP ALL, so that
# every target changes. Runs it plainly and with --undo (the undo script written to a file),
# interleaved, RUNS times (default 5), and prints the medians of CPU seconds (user + system), their
# ratio and the machine's load. (A run that writes its file back writes it after every commit, so
# 100,000 commits are measured read-only, as measure.py measures them.)
#
#   bench/undo.sh [TARGETS]            (BUILD=build by default)
source "$(dirname "$0")/common.sh"
targets=${1:-100000}

pipeline_files "$targets"

# cpu LABEL ARGS...: one run, its user + system CPU seconds appended to $work/times-LABEL.
cpu() {
  local label=$1
  shift
  local TIMEFORMAT='%U %S'
  { time env ORBITANE_SIM="$work/site.json" ORBITANE_SIM_READONLY=1 \
      "$build/hxo_cmdline" "$@" "$work/scale.hxo" > /dev/null 2>&1; } 2>&1 |
    awk '{ print $1 + $2 }' >> "$work/times-$label"
}

echo "load before: $(load_average); $runs interleaved runs, medians of CPU seconds"
for _ in $(seq "$runs"); do
  cpu plain
  cpu undo --undo "$work/undo.hxo"
done
a=$(median plain); b=$(median undo)
printf "%d targets, plain run: %7.3f s\n%d targets, --undo:    %7.3f s (%d undo lines)\n" \
  "$targets" "$a" "$targets" "$b" "$(wc -l < "$work/undo.hxo")"
awk -v a="$a" -v b="$b" 'BEGIN { printf "cost of --undo: %+.1f%%\n", (b / a - 1) * 100 }'
echo "load after: $(load_average)"
