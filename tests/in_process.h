// Running a script inside the test process, as hxo_cmdline runs a script file: in a folder of its
// own, against the installation in the folder's site.json or the built-in one, over a console of
// temporary files. Each run starts as a new process would: no declared objects, no server
// session, the installation loaded afresh.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "entry/script_session.h"
#include "hxo/hxo.h"
#include "model/workspace.h"
#include "runtime/failure_record.h"
#include "runtime/interrupt.h"
#include "runtime/page_length.h"
#include "runtime/prompt_input.h"
#include "support.h"

// What was written to a temporary file, from its start.
inline std::string WrittenTo(FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    text.append(buffer, got);
  return text;
}

// Runs the script file scriptName of folder with input on standard input, as
// "hxo_cmdline [--sim site.json] scriptName" run there with its output in files would: prompts
// answered from standard input, no paging, the installation opened before the script; traced,
// the simulator's calls go to the file "trace".
inline Result RunInProcess(const Folder& folder, const std::string& scriptName,
                           const std::string& input = "", bool withSite = false,
                           bool traced = false) {
  char* previousFolder = getcwd(nullptr, 0);
  EXPECT_EQ(chdir(folder.path.c_str()), 0);
  setenv("ORBITANE_SIM", withSite ? "site.json" : "", 1);
  setenv("ORBITANE_SIM_TRACE", traced ? "trace" : "", 1);
  unsetenv("ORBITANE_SIM_READONLY");
  SetPromptChannel(PromptChannel::Standard);
  SetProgramPageLength(0);
  FILE* in = std::tmpfile();
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  Console console(out, err, in);
  EXPECT_EQ(withSite ? HXO_OpenInstallation(nullptr) : 0, 0);
  ForgetLastFailure();
  int code;
  {
    // A workspace of its own, as a new process starts with: no declared objects and no server
    // session; ending it ends the session and with it the loaded installation.
    Workspace workspace;
    code = RunScriptInWorkspace(workspace, scriptName.c_str(), ScriptOptions::EntryDefaults(),
                                console);
  }
  ClearInterrupt();
  Result result{WrittenTo(out), WrittenTo(err), code};
  for (FILE* file : {in, out, err}) std::fclose(file);
  EXPECT_EQ(chdir(previousFolder), 0);
  std::free(previousFolder);
  return result;
}

// Writes script as t.hxo in folder and runs it in-process.
inline Result RunScript(const Folder& folder, const std::string& script,
                        const std::string& input = "", bool withSite = false, bool traced = false) {
  folder.Write("t.hxo", script);
  return RunInProcess(folder, "t.hxo", input, withSite, traced);
}

// Where a row runs: in this process, or through hxo_cmdline for what only a process shows.
enum class RunIn { kTestProcess, kProgram };

// Runs every row after preamble, each in a folder of its own that holds files and, when site is
// given, the installation file site.json.
inline void ExpectRows(const std::vector<Row>& rows, const std::string& site = "",
                       const std::string& preamble = "",
                       const std::vector<std::pair<std::string, std::string>>& files = {},
                       RunIn where = RunIn::kTestProcess) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.script);
    Folder folder;
    if (!site.empty()) folder.Write("site.json", site);
    for (const auto& [name, text] : files) folder.Write(name, text);
    folder.Write("t.hxo", preamble + row.script);
    const Result result =
        where == RunIn::kProgram
            ? folder.Program(site.empty() ? "t.hxo" : "--sim site.json t.hxo", row.input)
            : RunInProcess(folder, "t.hxo", row.input, !site.empty());
    EXPECT_EQ(result.out, row.out);
    EXPECT_EQ(result.err, row.err);
    EXPECT_EQ(result.code, row.code);
  }
}
