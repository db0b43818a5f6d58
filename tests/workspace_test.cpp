// A session works on the objects of the workspace it is given, whatever the process's holds.
#include <algorithm>

#include <gmock/gmock.h>

#include "entry/process_console.h"
#include "entry/process_workspace.h"
#include "entry/script_session.h"
#include "interp/completion.h"
#include "support.h"

namespace {

// What script, run as a string session in workspace, writes on standard error.
std::string ErrorsIn(Workspace& workspace, const std::string& script) {
  StringLineSource source(script.c_str());
  StringTextSink sink;
  ScriptSession session(workspace, &source, &sink, ProcessConsole());
  testing::internal::CaptureStderr();
  session.Run(ScriptOptions::EntryDefaults());
  return testing::internal::GetCapturedStderr();
}

TEST(Workspace, SessionsSeeOnlyTheirOwnObjects) {
  // An object without node: PASSWORD finds it and fails on it; a workspace without it refuses
  // the name.
  ProcessWorkspace().registry().Insert(
      "a1", std::make_unique<ConfigObject>(ProcessWorkspace(), "a1", ObjectKind::Agent, nullptr));
  Workspace other;
  Folder folder;
  folder.Write("inc.hxo", "a1.PASSWORD pw\n");
  const std::string include = "INCLUDE " + folder.File("inc.hxo") + "\n";
  // Directly and through INCLUDE, which runs the file in the includer's workspace.
  for (const std::string& script : {std::string("a1.PASSWORD pw\n"), include}) {
    EXPECT_THAT(ErrorsIn(ProcessWorkspace(), script),
                testing::HasSubstr("Failed to set password on object \"a1\"."));
    EXPECT_THAT(ErrorsIn(other, script), testing::HasSubstr("Invalid object \"a1\" specified."));
  }
  const auto offersA1 = [](const std::vector<std::string>& words) {
    return std::count(words.begin(), words.end(), "a1.") == 1;
  };
  EXPECT_TRUE(offersA1(CompletionsFor(ProcessWorkspace(), "a", 0, 1)));
  EXPECT_FALSE(offersA1(CompletionsFor(other, "a", 0, 1)));
  ProcessWorkspace().registry().Clear();
}

}  // namespace
