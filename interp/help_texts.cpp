// The general help screen and the table from topic names to help texts.
#include "interp/help_texts.h"

#include "interp/help_texts_internal.h"

namespace {

// The command lists are columns of 10 characters; each line keeps its trailing blanks.
constexpr const char* kGeneralLines[] = {
    "Halvex/Orbitane command-line configuration utility.",
    "",
    "You may use HELP <command> to get more detailed help on any command that",
    "is not executed on an object, or HELP obj.<command> to get more detailed",
    "help on any command that is executed on an object.",
    "",
    "Commands that are not executed on an object are:",
    "SET       INCLUDE   ABORT     DROP      HISTORY   AUTH      ",
    "AGENT     OBJECTS   PRINT     PAUSE     SLEEP     EXEC      ",
    "QUIT      HELP                                              ",
    "",
    "Commands that are executed on an object are:",
    "ADD       SPAWN     DEL       LIST      PASSWORD  SET       ",
    "RESET     UNSET     COMMIT    QPK       LOG       RUN       ",
};

}  // namespace

HelpTopics BuildHelpTopics() {
  using namespace help_texts;
  return HelpTopics{
      {"HELP", makeText(kGeneralLines)},
      {"SET", kSet},
      {"INCLUDE", kInclude},
      {"ABORT", kAbort},
      {"QUIT", kQuit},
      {"EXIT", kQuit},
      {"BYE", kQuit},
      {"HISTORY", kHistory},
      {"AUTH", kAuth},
      {"AGENT", kAgent},
      {"DROP", kDrop},
      {"OBJECTS", kObjects},
      {"PRINT", kPrint},
      {"ECHO", kPrint},
      {"PAUSE", kPause},
      {"PROMPT", kPause},
      {"SLEEP", kSleep},
      {"EXEC", kExec},
      {"obj.ADD", kAdd},
      {"obj.SPAWN", kSpawn},
      {"obj.DEL", kDel},
      {"obj.LIST", kList},
      {"obj.PASSWORD", kPassword},
      {"obj.PASSWD", kPassword},
      {"obj.PASS", kPassword},
      {"obj.SET", kObjectSet},
      {"obj.UNSET", kUnset},
      {"obj.RESET", kReset},
      {"obj.COMMIT", kCommit},
      {"obj.QPK", kQpk},
      {"obj.LOG", kLog},
      {"obj.RUN", kRun},
      {"obj.EXEC", kRun},
  };
}
