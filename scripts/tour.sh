#!/usr/bin/env bash
# Builds the program and its library (nothing else, so the tour starts soon) and runs the tour of
# the command language against the built-in installation. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default > /dev/null
cmake --build --preset default --target hxo_cmdline > /dev/null
# The tour's dry run calls the program by name.
PATH="$PWD/build:$PATH" exec build/hxo_cmdline examples/tour.hxo
