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
#include <string>

#include "sim/model.h"
#include "sim/site_file.h"
#include "sim/trace.h"

namespace sim {

class Library {
 public:
  // The one library state of the process.
  static Library& Get();

  // (Re)reads the environment and loads the installation; a failure is reported on stderr.
  void Init();
  void Destroy();
  // Loads on first use when initAPI was not called; the installation or null.
  std::shared_ptr<Site> EnsureSite();
  // The loaded installation, or null.
  const std::shared_ptr<Site>& site() const { return site_; }

  // After a change: writes the whole installation back when it came from a writable file. False,
  // with one line on stderr, when it could not be written (counted by CountStoreFailure); the
  // caller then undoes the change.
  bool Persist();

  const Trace& trace() const { return trace_; }

 private:
  void Load();

  std::shared_ptr<Site> site_;
  bool loaded_ = false;
  std::string file_;  // as named by ORBITANE_SIM; empty for the built-in installation
  bool writeBack_ = false;
  int firstStoppedWrite_ = 0;  // see ORBITANE_SIM_FAIL_BEFORE_RENAME; 0: none
  int writes_ = 0;             // write-backs since the load
  FileStamp stamp_;
  Trace trace_;
};

// The built-in installation: the text of examples/site.json, embedded at build time.
const char* DefaultSiteJson();

}  // namespace sim
