#!/usr/bin/env bash
# Builds the program and its library (nothing else, so the tour starts soon) and runs the tour of
# the command language against the built-in installation. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default > /dev/null
cmake --build --preset default --target hxo_cmdline > /dev/null
status=0
build/hxo_cmdline examples/tour.hxo || status=$?
if [ "$status" -ne 0 ]; then
  echo "tour.sh: the tour stopped with exit status $status: see the message above" >&2
  exit "$status"
fi
