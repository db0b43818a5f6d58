#include "runtime/failure_record.h"

#include "runtime/console.h"
#include "runtime/session_state.h"

namespace {

FailureRecord last;
unsigned long records = 0;  // failures recorded so far: a nested session's count as well
std::string pendingWhat;
FailureRecord firstStop;
bool stopped = false;

}  // namespace

FailureWatch::FailureWatch(const Console& console)
    : console(console), errorsBefore(console.errorCount()), recordsBefore(records) {
  pendingWhat.clear();
}

void FailureWatch::Settle(const SessionState& session, int lineNumber,
                          std::string_view line) const {
  // A failure inside an included script was recorded there, with its own name and line.
  if (session.resultCode == 0 || records != recordsBefore) return;
  last = {session.name,
          lineNumber,
          std::string(line),
          session.resultCode,
          console.errorCount() != errorsBefore,
          std::move(pendingWhat)};
  pendingWhat.clear();
  ++records;
}

void ForgetLastFailure() {
  last = {};
  pendingWhat.clear();
  stopped = false;
}

void NoteScriptEnd(bool stoppedBeforeItsEnd) {
  if (!stoppedBeforeItsEnd || stopped || last.code == 0) return;
  firstStop = last;
  stopped = true;
}

const FailureRecord* FirstStopOfTheRun() { return stopped ? &firstStop : nullptr; }

const FailureRecord& LastFailure() { return last; }

void NoteSilentFailure(std::string what) { pendingWhat = std::move(what); }
