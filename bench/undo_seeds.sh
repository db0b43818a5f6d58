#!/usr/bin/env bash
# The undo property over many generated sites and scripts (default 300 seeds; the suite runs 30):
# each seed runs for real with --undo, then runs the undo script, and compares the installation
# with what it was (tests/undo_property_test.cpp). Prints the count and how many differed.
#
#   bench/undo_seeds.sh [SEEDS]            (BUILD=build by default)
source "$(dirname "$0")/common.sh"
HXO_UNDO_SEEDS=${1:-300} "$build/tests/hxo_tests" \
  --gtest_filter=UndoProperty.* --gtest_brief=1 | grep -E '^undo property|FAILED|PASSED'
