// PRINT (ECHO) and PAUSE (PROMPT): talking to the person running the script.
#include "entry/script_session.h"
#include "interp/tokens.h"
#include "runtime/console.h"

bool ScriptSession::HandlePrint(int, const std::string& line, ScriptOptions&) {
  consoleWrite(restOfLineView(2, line));
  consoleWrite("\n");
  return true;
}

bool ScriptSession::HandlePause(int, const std::string& line, ScriptOptions&) {
  const std::string prompt = restOfLine(2, line);
  consoleWrite(prompt.empty() ? std::string_view("Press enter to continue ...") : prompt);
  std::string answer;
  consoleReadLine(answer);
  return true;
}
