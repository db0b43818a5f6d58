// The state of the simulated library between initAPI and destroyAPI: which installation is
// loaded, from where, whether changes go back to its file, and the trace.
//
// Environment, read by initAPI:
//   ORBITANE_SIM                     the site file; unset or empty: the built-in installation
//   ORBITANE_SIM_READONLY            non-empty and not "0": load the file, never write it
//   ORBITANE_SIM_TRACE               the trace file (see trace.h)
//   ORBITANE_SIM_FAIL_BEFORE_RENAME  test seam: write-backs stop just before their rename, as a
//                                    crash there would, and the changing call fails; a number
//                                    n lets the first n - 1 write-backs of a load through
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sim/model.h"
#include "sim/plan_outcome.h"
#include "sim/site_file.h"
#include "sim/trace.h"
#include "sim/undo_script.h"

namespace sim {

// A change on its way to the file, as a message about a failed write names it: "WHAT of NODE".
struct Change {
  std::string_view what;  // "the properties", "the journal entry \"reload\"", ...
  const Entry& entry;
};

class Library {
 public:
  // The one library state of the process. Made on first use and never destroyed, so that it is
  // still there for the engine's own teardown at unload (which ends with destroyAPI), whatever
  // order static state goes in. Inline: every call on a node or walker asks for it.
  static Library& Get() {
    static Library* library = new Library();
    return *library;
  }

  // (Re)reads the environment and loads the installation; a failure is reported on stderr. Right
  // after Open, keeps what Open loaded instead.
  void Init();
  // Loads the installation before anyone authenticates, without writing to stderr: 0 when it is
  // usable, 66 when its file is missing or cannot be read, 65 when it is invalid; message then
  // names the file and the problem on one line.
  int Open(std::string& message);
  // Ends the session: every node and walker of it is dead from now on. The installation's memory
  // is released at the next load, or with the process, so that ending a run does not walk a large
  // installation only to give its memory back a moment before the process does.
  void Destroy();
  // Loads on first use when initAPI was not called; the installation or null.
  std::shared_ptr<Site> EnsureSite();
  // The loaded installation, or null.
  const std::shared_ptr<Site>& site() const { return loadedSite; }
  // Changes whenever the loaded installation does (a load, destroyAPI): nodes and walkers remember
  // the generation they were made in and are dead in any other.
  uint64_t generation() const { return loadGeneration; }

  // After a change: writes the whole installation back when it came from a writable file. False,
  // with one line on stderr, when it could not be written; the caller then undoes the change.
  // The line says what reached the file and what did not: this change did not, and the changes
  // this load wrote before it did. A file the loader would refuse (larger than kMaxSiteFileBytes)
  // is not written.
  bool Persist(const Change& change);
  // Reports on stderr, naming the installation, a change refused before any write (one line).
  void ReportRefused(std::string_view problem) const;

  // The changes made since the installation was loaded, as a plan (plan.h) in text or JSON; none
  // when its changes go to a file (the plan would not describe what is still to be done).
  std::optional<std::string> Plan(bool json);

  // From the next load on, the installation as it was loaded is kept even when changes go to
  // its file, so that Undo can tell what a real run changed.
  // KeepLoaded(false) goes back to keeping nothing from the next load on.
  void KeepLoaded(bool keep = true) { keepText = keep; }
  // The script that restores the installation as it was loaded; none when what it was is not
  // kept (changes go to the file, and KeepLoaded came after the load).
  std::optional<UndoScript> Undo();
  // A node of entry was handed to the engine: the entry counts as read by the run (for a saved
  // plan's fingerprints). Only entries of the load are marked.
  void NoteRead(const Entry& entry) {
    if (entry.id < entriesRead.size()) entriesRead[entry.id] = true;
  }
  // The fingerprints (fingerprint.h) of the entries read since the load, as they were loaded;
  // names gives the engine's names by id. None when the plan would be none.
  std::optional<std::string> Fingerprints(const std::unordered_map<uint64_t, std::string>& names);
  // The drift (fingerprint.h) of recorded, followed by padding readable bytes, since then; from
  // now on Plan gives the changes made after this comparison, also when they are written back.
  std::optional<std::string> Drift(std::string_view recorded, size_t padding);
  // After a Drift that found nothing: whether the run since left the installation as the planned
  // run left it (plan_outcome.h).
  bool LeftAsPlanned();

  const Trace& trace() const { return callTrace; }

 private:
  void Load();
  int LoadQuietly(std::string& problem);
  // The installation as it was loaded, read again; null when it was not kept.
  std::shared_ptr<Site> AsLoaded() const;
  // Reports a failed write-back of change: problem, what reached the file, then advice.
  void ReportUnwritten(const std::string& change, std::string problem,
                       std::string_view advice = "");
  // Starts the trace of ORBITANE_SIM_TRACE, unless it names the site file.
  void StartTrace();

  std::shared_ptr<Site> loadedSite;
  std::shared_ptr<Site> retired;  // ended by destroyAPI, released at the next load
  uint64_t loadGeneration = 0;
  bool hasLoaded = false;
  std::string siteFile;    // as named by ORBITANE_SIM; empty for the built-in installation
  std::string target;      // the file that write-backs replace (siteFile with links resolved)
  SiteText loadedText;     // the file as loaded, when keepText (for Plan and Undo; see AsLoaded)
  bool keepText = false;
  std::string baseline;    // the installation when Drift compared it, the base of Plan then
  std::string baselineFile;  // the site file of baseline: a load of another file forgets it
  std::vector<bool> entriesRead;  // by id, the entries of the load that the run read (NoteRead)
  bool preloaded = false;         // Open loaded the installation; the next Init keeps it
  bool writeBack = false;
  int firstStoppedWrite = 0;  // see ORBITANE_SIM_FAIL_BEFORE_RENAME; 0: none
  int writesTried = 0;        // write-backs tried since the load
  int writesDone = 0;         // write-backs that reached the file since the load
  std::string lastWritten;    // the change of the last of them
  FileStamp siteStamp;
  Trace callTrace;

  // What Drift kept for LeftAsPlanned.
  std::optional<PlannedOutcome> plannedOutcome;
};

// The built-in installation: the text of examples/site.json, embedded at build time.
const char* DefaultSiteJson();

}  // namespace sim
