// Fuzz target: the input, as a command text, through HXO_ExecuteCommandsGetOutput against a
// read-only copy of the built-in installation.
//
// A command is only ever named on its own line, so what could make a run wait, never end or
// reach outside the process is taken out line by line, keeping the line numbers: a line is
// blanked when it holds, in any case, EXEC, SLEEP, PAUSE, PROMPT or RUN (the shell, waits, input
// and the waits of a reconfiguration), INCLUDE (files, devices and FIFOs), SAVE (HISTORY SAVE
// writes a file), or a word that starts with "-" and holds an "f" (LOG -f follows a log until
// someone quits at a prompt). Standard input is /dev/null, so every prompt meets the end of
// input (LOG -i ends there, --more-- goes on), standard output goes to /dev/null, and the process
// works in a temporary folder of its own. After each input the declared objects and the server
// session are dropped, so each input starts as a new process would, with the installation
// loaded afresh.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "engine_sandbox.h"
#include "hxo/hxo.h"
#include "sim/library.h"

namespace {

bool IsHazard(std::string_view line) {
  std::string upper(line);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* word : {"EXEC", "SLEEP", "PAUSE", "PROMPT", "RUN", "INCLUDE", "SAVE"}) {
    if (upper.find(word) != std::string::npos) return true;
  }
  // Words as the tokenizer splits them: at blanks, tabs, carriage returns and line feeds.
  for (size_t start = 0; start < upper.size();) {
    size_t end = upper.find_first_of(" \t\r\n", start);
    if (end == std::string::npos) end = upper.size();
    std::string_view word = std::string_view(upper).substr(start, end - start);
    if (!word.empty() && word[0] == '-' && word.find('F') != std::string_view::npos) return true;
    start = end + 1;
  }
  return false;
}

// The text the engine would read (up to the first NUL), with hazardous lines blanked.
std::string Neutralised(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const std::string text(bytes, strnlen(bytes, size));
  std::string result;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line = std::string_view(text).substr(start, end - start);
    if (!IsHazard(line)) result += line;
    if (end < text.size()) result += '\n';
    start = end + 1;
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string& folder = engine_sandbox::Enter({"/tmp/hxo-fuzz-XXXXXX"});
  std::ofstream(folder + "/site.json") << sim::DefaultSiteJson();
  setenv("ORBITANE_SIM", (folder + "/site.json").c_str(), 1);
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string commands = Neutralised(data, size);
  char* output = nullptr;
  HXO_ExecuteCommandsGetOutput(commands.c_str(), &output);
  std::free(output);
  engine_sandbox::EndSession();
  return 0;
}
