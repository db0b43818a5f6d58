#include "interp/command_tables.h"

SessionCommandTable BuildSessionCommands() {
  using S = ScriptSession;
  return {
      {"ABORT", &S::HandleAbort},     {"AGENT", &S::HandleAgent},
      {"AUTH", &S::HandleAuth},       {"BYE", &S::HandleQuit},
      {"DROP", &S::HandleDrop},       {"ECHO", &S::HandlePrint},
      {"EXEC", &S::HandleExec},       {"EXIT", &S::HandleQuit},
      {"HELP", &S::HandleHelp},       {"HISTORY", &S::HandleHistory},
      {"INCLUDE", &S::HandleInclude}, {"OBJECTS", &S::HandleObjects},
      {"PAUSE", &S::HandlePause},     {"PRINT", &S::HandlePrint},
      {"PROMPT", &S::HandlePause},    {"QUIT", &S::HandleQuit},
      {"SET", &S::HandleSet},         {"SLEEP", &S::HandleSleep},
  };
}

ObjectSubcommandTable BuildObjectSubcommands() {
  // Entries are added as the object subcommands are built; a name missing here is reported as
  // an unknown subcommand.
  using S = ScriptSession;
  return {
      {"ADD", &S::HandleObjectAdd},
      {"COMMIT", &S::HandleObjectCommit},
      {"DEL", &S::HandleObjectDel},
      {"EXEC", &S::HandleObjectRun},
      {"LIST", &S::HandleObjectList},
      {"LOG", &S::HandleObjectLog},
      {"PASS", &S::HandleObjectPassword},
      {"PASSWD", &S::HandleObjectPassword},
      {"PASSWORD", &S::HandleObjectPassword},
      {"QPK", &S::HandleObjectQpk},
      {"RESET", &S::HandleObjectReset},
      {"RUN", &S::HandleObjectRun},
      {"SET", &S::HandleObjectSet},
      {"SPAWN", &S::HandleObjectSpawn},
      {"UNSET", &S::HandleObjectUnset},
  };
}
