// Saved plans: a JSON plan file that records what it was made from, and --apply, which runs the
// plan's script for real only while all of that still holds, then compares what it changed with
// the plan.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class PlanText;

// The exit status of a plan that no longer holds (the installation or a script changed since, or
// the plan was applied already): nothing was run. As EX_TEMPFAIL of sysexits.h: make a new plan.
constexpr int kPlanOutdated = 75;
// The exit status of an applied plan whose run changed something else than the plan said. As
// EX_SOFTWARE: a defect to report.
constexpr int kRunDifferedFromPlan = 70;

// Takes argv[i] (and its value) when it is --apply FILE or --apply=FILE: 1 taken, 0 not it, -1 a
// missing value.
int TakeApplyOption(int argc, char** argv, int& i, const char*& planFile);

// A JSON plan (as HXO_GetPlan gives it) with "made_from" added: the script file (null for -c or
// standard input), the folder it ran in, the installation file (null for the built-in one) and
// what HXO_GetPlanRecord gives. The plan unchanged when the installation cannot say.
std::string WithPlanRecord(const std::string& plan, const char* script);

struct SavedPlan {
  const char* file = nullptr;      // as --apply names it
  bool readOnly = false;           // --read-only: check and run in memory, the plan left unmarked
  std::string script;              // the script file to run
  std::string directory;           // the folder it ran in; empty when the plan does not say
  std::string_view record;         // "made_from", as the file holds it
  std::string path;                // the file, links resolved (the run may change folders)
  bool complete = true;            // the planned run went to its end
  std::shared_ptr<PlanText> text;  // the file as read, until CheckSavedPlan
};

// Before the installation is opened: reads the plan and points ORBITANE_SIM at the installation
// it was made on (--sim, when given, must name that file). 0, or the exit status after one line
// on standard error: 65 not a saved plan (or one made from -c or standard input, or one saved
// by an earlier version), 66 unreadable, 75 applied already or made on another installation.
int ReadSavedPlan(SavedPlan& saved);

// Once the installation is open, before the script: every recorded script and node must still
// be as recorded (else each difference is named and the status is 75); then the plan file is
// marked as applied, the script's folder entered and the plan's text let go. 0, or the exit
// status.
int CheckSavedPlan(SavedPlan& saved);

// After the run: the changes it made against those of the plan. 0 when they are the same (told
// at once by the installation when it holds what the planned run left), else each difference on
// standard error and 70.
int CompareWithSavedPlan(const SavedPlan& saved);
