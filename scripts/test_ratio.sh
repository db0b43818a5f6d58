#!/usr/bin/env bash
# Prints the lines of test code against the lines of product code, both counted as non-blank
# lines that are not comments: every file under tests/ (code, scripts, transcripts and their
# expected outputs) against the C and C++ sources and headers outside tests/, bench/, examples/
# and fuzz/, and the Python of the Ansible collection's plugins.
set -euo pipefail
cd "$(dirname "$0")/.."

# Drops blank lines, // comment lines and the lines of /* */ blocks; in scripts (.sh, .hxo, .py,
# CMake) a line starting with # is a comment, except a shebang.
count() {
  awk '
    FNR == 1 { inBlock = 0; n = split(FILENAME, parts, "."); ext = parts[n] }
    { line = $0; sub(/^[ \t]+/, "", line) }
    line == "" { next }
    inBlock { if (line ~ /\*\//) inBlock = 0; next }
    line ~ /^\/\*/ { if (line !~ /\*\//) inBlock = 1; next }
    line ~ /^\/\// { next }
    (ext == "sh" || ext == "hxo" || ext == "py" || ext == "txt" || FILENAME ~ /CMakeLists/) && line ~ /^#/ && line !~ /^#!/ { next }
    { total++ }
    END { print total + 0 }
  ' "$@"
}

mapfile -t testFiles < <(git ls-files tests)
mapfile -t productFiles < <(git ls-files '*.cpp' '*.h' '*.c' '*.cc' '*.in' |
  grep -Ev '^(tests|bench|examples|fuzz)/' | grep -E '\.(cpp|h|c|cc)(\.in)?$'
  git ls-files 'ansible/plugins/*.py')
tests=$(count "${testFiles[@]}")
product=$(count "${productFiles[@]}")
awk -v t="$tests" -v p="$product" 'BEGIN { printf "tests %d / product %d = %.1f%%\n", t, p, 100 * t / p }'
