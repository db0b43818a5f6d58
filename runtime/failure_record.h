// Where a run stopped: the command that gave it its result code. A program running a script
// unattended says where it stopped when that command wrote nothing itself (SPAWN on a DSM under
// QUIET).
#pragma once

#include <string>
#include <string_view>

class Console;
struct SessionState;

struct FailureRecord {
  std::string script;
  int line = 0;
  std::string command;
  int code = 0;
  bool reported = false;  // the command wrote a message on standard error
  std::string what;       // what failed, when a handler failed without a message
};

// Watches one command of the interpreter loop: when the command leaves a result code and no
// nested session recorded a failure meanwhile, it becomes the run's last failure.
class FailureWatch {
 public:
  explicit FailureWatch(const Console& console);
  void Settle(const SessionState& session, int lineNumber, std::string_view line) const;

 private:
  const Console& console;
  unsigned long errorsBefore;
  unsigned long recordsBefore;
};

// Called when a run starts, so that a record never outlives the run it belongs to.
void ForgetLastFailure();
// Each script's loop says, as it ends, whether a failure stopped it before its end (QUIT, ABORT,
// the end of its lines and failures that CONTINUE carries past are ends the script chose). The
// first such stop of a run, an included script's as well, is kept: null when there was none.
void NoteScriptEnd(bool stoppedBeforeItsEnd);
const FailureRecord* FirstStopOfTheRun();
const FailureRecord& LastFailure();
// A handler that fails without a message says what failed, for the record.
void NoteSilentFailure(std::string what);
