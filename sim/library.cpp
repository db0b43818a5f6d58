// Loading, writing back and the entry points initAPI, destroyAPI and GetRoot.
#include "sim/library.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_set>
#include <vector>

#include "orbitane/extensions.h"
#include "orbitane/file_replacement.h"
#include "orbitane/orbitaneapi.h"
#include "sim/fingerprint.h"
#include "sim/identity.h"
#include "sim/node.h"
#include "sim/plan.h"
#include "sim/refusal.h"
#include "sim/report.h"
#include "sim/site_reader.h"
#include "sim/site_writer.h"
#include "sim/undo_script.h"

namespace sim {
namespace {

// Why an installation of size bytes is not written: every later load would refuse the file.
std::string TooLargeToLoad(size_t size) {
  return "the installation would take " + std::to_string(size) + " bytes, more than the " +
         std::to_string(kMaxSiteFileBytes >> 20) + " MiB a site file may hold";
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool EnvFlag(const char* name) {
  std::string value = Env(name);
  return !value.empty() && value != "0";
}

// The number of the first write-back that ORBITANE_SIM_FAIL_BEFORE_RENAME stops (0: none): the
// number it gives, or 1 (every write) for any other text but empty and "0".
int FirstStoppedWrite() {
  std::string value = Env("ORBITANE_SIM_FAIL_BEFORE_RENAME");
  if (value.empty() || value == "0") return 0;
  int number = std::atoi(value.c_str());
  return number > 0 ? number : 1;
}

// A parse error quotes what the parser last read, which for a truncated file is the whole rest of
// it: the quote is cut to its first 40 bytes.
std::string Shortened(std::string problem) {
  constexpr std::string_view kLastRead = "; last read: '";
  constexpr size_t kKeep = 40;
  size_t start = problem.find(kLastRead);
  if (start != std::string::npos && problem.size() > start + kLastRead.size() + kKeep + 1) {
    problem.resize(start + kLastRead.size() + kKeep);
    problem += "...'";
  }
  return problem;
}

// The authenticated hold; it gives the root node only while its installation is loaded.
class SimRootHolder final : public TreeRootHolder {
 public:
  explicit SimRootHolder(std::weak_ptr<Site> site) : heldSite(std::move(site)) {}
  TreeNode* GetRootNode(const ChildDefinitionData& record) override {
    const Trace& trace = Library::Get().trace();
    if (trace.On()) trace.Write("GetRootNode" + TraceRecord(record));
    std::shared_ptr<Site> site = heldSite.lock();
    if (!site || site != Library::Get().site()) return nullptr;
    return new SimNode(*site->root);
  }

 private:
  std::weak_ptr<Site> heldSite;
};

}  // namespace

void Library::StartTrace() { callTrace.SetFile(Env("ORBITANE_SIM_TRACE"), Env("ORBITANE_SIM")); }

void Library::Init() {
  StartTrace();
  if (callTrace.On()) callTrace.Write("initAPI");
  if (preloaded) {
    preloaded = false;
    return;
  }
  Load();
}

int Library::Open(std::string& message) {
  StartTrace();
  std::string problem;
  const int status = LoadQuietly(problem);
  preloaded = status == 0;  // after a failure the next Init tries again
  if (status != 0)
    message = OneLineProblem(siteFile.empty() ? "(built-in installation)" : siteFile, problem);
  return status;
}

void Library::Destroy() {
  if (callTrace.On()) callTrace.Write("destroyAPI");
  retired = std::move(loadedSite);
  ++loadGeneration;
  hasLoaded = false;
}

std::shared_ptr<Site> Library::EnsureSite() {
  if (!hasLoaded) {
    StartTrace();
    Load();
  }
  return loadedSite;
}

void Library::Load() {
  std::string problem;
  if (LoadQuietly(problem) != 0)
    ReportProblem(siteFile.empty() ? "(built-in installation)" : siteFile, problem);
}

int Library::LoadQuietly(std::string& problem) {
  constexpr int kInvalid = 65, kUnreadable = 66;
  loadedSite.reset();
  retired.reset();
  ++loadGeneration;
  hasLoaded = true;
  preloaded = false;
  loadedText = SiteText();
  siteFile = Env("ORBITANE_SIM");
  firstStoppedWrite = FirstStoppedWrite();
  writesTried = 0;
  writesDone = 0;
  lastWritten.clear();
  writeBack = !siteFile.empty() && !EnvFlag("ORBITANE_SIM_READONLY");
  // A baseline outlives the loads of the sessions of the run that writes to its file, and no
  // other: a run that writes nothing, or to another file, starts from its own load.
  if (!writeBack || siteFile != baselineFile) baseline.clear();
  if (siteFile.empty()) {
    loadedSite = ReadSite(DefaultSiteJson(), problem);
    if (!loadedSite) return kInvalid;
    loadedSite->firstAddedId = loadedSite->byId.size();
    entriesRead.assign(loadedSite->byId.size(), false);
    return 0;
  }
  target = ReplacementTarget(siteFile);
  std::optional<FileText> file = ReadSiteFile(siteFile, problem);
  if (!file) return kUnreadable;
  siteStamp = file->stamp;
  loadedSite = ReadSite(file->text.view(), problem, file->text.slack());
  if (!loadedSite) {
    problem = Shortened(std::move(problem));
    return kInvalid;
  }
  loadedSite->firstAddedId = loadedSite->byId.size();
  entriesRead.assign(loadedSite->byId.size(), false);
  // The stamp tells a later reading of the file (a write-back, or AsLoaded) whether the file
  // is still the one loaded.
  DigestIfRecent(siteStamp, file->text.view());
  if (writeBack) RemoveStaleTemporaries(target);
  if (keepText) loadedText = std::move(file->text);
  return 0;
}

// The installation as a plan or an undo starts from: as Drift last compared it, else as loaded.
// The loaded text is kept only when asked (KeepLoaded): a site of a million targets is some 60
// MB, and most runs never ask for a plan. Without it, the file is read again when nothing was
// written to it and it still carries the stamp of the load. None when changes went to the file
// since the load, or it changed under the run, and the loaded text was not kept.
std::shared_ptr<Site> Library::AsLoaded() const {
  std::string error;
  if (!baseline.empty()) return ReadSite(baseline, error);
  if (siteFile.empty()) return ReadSite(DefaultSiteJson(), error);
  if (!loadedText.view().empty()) return ReadSite(loadedText.view(), error, loadedText.slack());
  if (writeBack) return nullptr;
  std::optional<FileText> file = ReadSiteFile(siteFile, error);
  if (!file || !file->stamp.SameTimes(siteStamp) ||
      (siteStamp.digest && DigestOf(file->text.view()) != *siteStamp.digest)) {
    return nullptr;
  }
  return ReadSite(file->text.view(), error, file->text.slack());
}

std::optional<std::string> Library::Plan(bool json) {
  if (!EnsureSite()) return std::nullopt;
  std::shared_ptr<Site> before = AsLoaded();
  if (!before) return std::nullopt;
  size_t changes = 0;
  std::string plan = PlanText(*before, *loadedSite, json, &changes);
  // A real run writes the file back after each change and refuses one that would pass the
  // loader's limit; a rehearsal writes nothing, so it says so here, once, for the end state.
  if (!siteFile.empty() && !writeBack && changes != 0) {
    if (const size_t size = WriteSite(*loadedSite).size();
        static_cast<int64_t>(size) > kMaxSiteFileBytes) {
      ReportProblem(siteFile, "a real run would refuse these changes: " + TooLargeToLoad(size));
    }
  }
  return plan;
}

std::optional<UndoScript> Library::Undo() {
  if (!EnsureSite()) return std::nullopt;
  std::shared_ptr<Site> before = AsLoaded();
  if (!before) return std::nullopt;
  return MakeUndoScript(*before, *loadedSite);
}

std::optional<std::string> Library::Fingerprints(
    const std::unordered_map<uint64_t, std::string>& names) {
  if (!EnsureSite()) return std::nullopt;
  std::shared_ptr<Site> loaded = AsLoaded();
  if (!loaded) return std::nullopt;
  return FingerprintRecords(*loaded, *loadedSite, entriesRead, names);
}

std::optional<std::string> Library::Drift(std::string_view recorded, size_t padding) {
  if (!EnsureSite()) return std::nullopt;
  plannedOutcome.reset();
  PlannedOutcome planned;
  std::optional<std::string> drift = sim::Drift(*loadedSite, recorded, padding, planned);
  if (!drift) return drift;
  if (drift->empty()) plannedOutcome = std::move(planned);
  if (writeBack) {
    baseline = WriteSite(*loadedSite);
    baselineFile = siteFile;
  }
  return drift;
}

bool Library::LeftAsPlanned() {
  return loadedSite && plannedOutcome &&
         sim::LeftAsPlanned(*loadedSite, *plannedOutcome, entriesRead);
}

bool Library::Persist(const Change& change) {
  if (!writeBack || !loadedSite) return true;
  const std::string what = std::string(change.what) + " of " + Describe(change.entry);
  std::string error;
  if (!MayReplaceFile(target, error)) {
    ReportUnwritten(what, error, " (use --read-only to try changes in memory only)");
    return false;
  }
  std::string text = WriteSite(*loadedSite);
  if (static_cast<int64_t>(text.size()) > kMaxSiteFileBytes) {
    // Every later load would refuse the file.
    ReportUnwritten(what, TooLargeToLoad(text.size()));
    return false;
  }
  ++writesTried;
  const bool stopBeforeRename = firstStoppedWrite != 0 && writesTried >= firstStoppedWrite;
  switch (ReplaceSiteFile(target, text, siteStamp, stopBeforeRename, error)) {
    case WriteOutcome::Written:
      ++writesDone;
      lastWritten = what;
      return true;
    case WriteOutcome::ChangedByOther:
      ReportUnwritten(what, "the installation file was changed by another process",
                      writesDone == 0 ? ": run the script again on the new file" : "");
      break;
    case WriteOutcome::Failed:
      ReportUnwritten(what, error);
      break;
  }
  return false;
}

void Library::ReportRefused(std::string_view problem) const {
  ReportProblem(siteFile.empty() ? "(built-in installation)" : siteFile, problem);
}

void Library::ReportUnwritten(const std::string& change, std::string problem,
                              std::string_view advice) {
  if (writesDone == 0) {
    problem += "; nothing was written";
  } else {
    problem += "; not written: " + change +
               "; written before it since the load: " + std::to_string(writesDone) +
               (writesDone == 1 ? " change" : " changes") + ", the last: " + lastWritten;
  }
  problem += advice;
  ReportProblem(siteFile, problem);
}

}  // namespace sim

void initAPI() { sim::Library::Get().Init(); }

int OrbitaneOpenInstallation(char** message) {
  std::string text;
  const int status = sim::Library::Get().Open(text);
  if (message != nullptr) *message = status == 0 ? nullptr : SharedHeapStrdup(text.c_str());
  return status;
}

char* OrbitanePlan(const char* format) {
  const bool json = format != nullptr && std::string_view(format) == "json";
  std::optional<std::string> plan = sim::Library::Get().Plan(json);
  return plan ? SharedHeapStrdup(plan->c_str()) : nullptr;
}

char* OrbitaneSnapshot(TreeNode* const* agents, int count, const char* server, const char* user,
                       char** problem) {
  if (problem != nullptr) *problem = nullptr;
  std::string error = "there is no installation to take a snapshot of";
  std::optional<std::string> text;
  if (const std::shared_ptr<sim::Site>& site = sim::Library::Get().site()) {
    std::vector<sim::SnapshotAgent> chosen;
    std::unordered_set<std::string> seen;
    for (int i = 0; i < count; ++i) {
      if (agents[i] == nullptr) continue;
      // A node of this library describes its agent as its record does, without a traced call.
      const auto* node = dynamic_cast<const sim::SimNode*>(agents[i]);
      std::string description =
          node != nullptr ? node->Description()
                          : sim::DescribeRecord(sim::Kind::Agent, agents[i]->GetDefinitionData());
      if (!seen.insert(description).second) continue;
      sim::Entry* entry = node != nullptr ? node->Live() : nullptr;
      chosen.push_back(
          {entry != nullptr ? site->FindById(entry->id) : nullptr, std::move(description)});
    }
    text = sim::WriteSnapshot(*site, chosen, server != nullptr ? server : "",
                              user != nullptr ? user : "", error);
  }
  if (text) return SharedHeapStrdup(text->c_str());
  if (problem != nullptr) *problem = SharedHeapStrdup(error.c_str());
  return nullptr;
}

int OrbitaneKeepLoadedState() {
  sim::Library::Get().KeepLoaded();
  return 1;
}

char* OrbitaneUndoScript(char** lost) {
  if (lost != nullptr) *lost = nullptr;
  std::optional<sim::UndoScript> undo = sim::Library::Get().Undo();
  if (!undo) return nullptr;
  if (lost != nullptr && !undo->lost.empty()) {
    std::string lines;
    for (const std::string& line : undo->lost) lines += line + "\n";
    *lost = SharedHeapStrdup(lines.c_str());
  }
  return SharedHeapStrdup(undo->text.c_str());
}

char* OrbitaneFingerprints(const char* const* names, TreeNode* const* nodes, size_t count) {
  std::unordered_map<uint64_t, std::string> byId;
  for (size_t i = 0; i < count; ++i) {
    const auto* node = dynamic_cast<const sim::SimNode*>(nodes[i]);
    if (node == nullptr || names[i] == nullptr) continue;
    if (const sim::Entry* entry = node->Live()) byId.emplace(entry->id, names[i]);
  }
  std::optional<std::string> records = sim::Library::Get().Fingerprints(byId);
  return records ? SharedHeapStrdup(records->c_str()) : nullptr;
}

char* OrbitaneDrift(const char* recorded) {
  if (recorded == nullptr) return nullptr;
  std::optional<std::string> drift = sim::Library::Get().Drift(recorded, 0);
  return drift ? SharedHeapStrdup(drift->c_str()) : nullptr;
}

char* OrbitaneDriftInPlace(const char* recorded, size_t length, size_t padding) {
  if (recorded == nullptr) return nullptr;
  std::optional<std::string> drift =
      sim::Library::Get().Drift(std::string_view(recorded, length), padding);
  return drift ? SharedHeapStrdup(drift->c_str()) : nullptr;
}

int OrbitaneLeftAsPlanned() { return sim::Library::Get().LeftAsPlanned() ? 1 : 0; }

char* OrbitaneRehearsalLimits() {
  // A file that accepts any password was written by a snapshot, or stands in for one.
  const std::shared_ptr<sim::Site>& site = sim::Library::Get().site();
  if (!site || !site->anyPassword) return nullptr;
  return SharedHeapStrdup(
      "this installation is a snapshot: it cannot tell which addresses answer or which "
      "passwords the nodes take, so ADD of an address, AGENT and SPAWN may fail on the real "
      "installation where this rehearsal succeeded");
}

void destroyAPI() { sim::Library::Get().Destroy(); }

TreeRootHolder* TreeRootHolder::GetRoot(const char* kind, const char* server, const char* user,
                                        const char* password) {
  sim::Library& library = sim::Library::Get();
  std::shared_ptr<sim::Site> site = library.EnsureSite();
  const sim::Trace& trace = library.trace();
  if (trace.On()) {
    trace.Write("GetRoot kind=" + sim::TraceText(kind ? kind : "") +
                " server=" + sim::TraceText(server ? server : "") +
                " user=" + sim::TraceText(user ? user : "") + sim::TracePassword(password));
  }
  if (!site || kind == nullptr || server == nullptr || user == nullptr || password == nullptr) {
    return nullptr;
  }
  if (std::string_view(kind) != "distributed" || !sim::EqualsIgnoringCase(server, site->server)) {
    sim::Refuse(kOrbitaneRefusalNoSession,
                "the event server is " + site->server + ", not " + std::string(server));
    return nullptr;
  }
  // A snapshot never read the users: with any password, any user name is accepted too.
  auto found = site->users.find(user);
  if (found == site->users.end() && !site->anyPassword) {
    sim::Refuse(kOrbitaneRefusalNoSession, "no user " + std::string(user) + " on " + site->server);
    return nullptr;
  }
  if (found != site->users.end() && found->second != password && !site->anyPassword) {
    sim::Refuse(kOrbitaneRefusalPassword, "wrong password for user " + std::string(user));
    return nullptr;
  }
  return new sim::SimRootHolder(site);
}
