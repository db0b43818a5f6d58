// One table row of a script test: the script file t.hxo, its standard input, and exactly what it
// must print on each stream and the exit status it must end with.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "common/process_runner.h"

struct ScriptCase {
  const char* title;
  const char* script;
  const char* input;
  const char* out;
  const char* err;
  int exitCode;
};

inline void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.title; }

// Runs the case as t.hxo in a fresh folder and checks both streams and the exit status.
inline void expectScriptCase(const ScriptCase& c) {
  TempDir dir;
  ProcessResult result = runScriptIn(dir, "t.hxo", c.script, c.input);
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(result.exitCode, c.exitCode);
}

// Names parameterized tests after their cases.
struct ScriptCaseTitle {
  std::string operator()(const testing::TestParamInfo<ScriptCase>& info) const {
    return info.param.title;
  }
};
