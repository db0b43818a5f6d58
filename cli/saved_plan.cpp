#include "cli/saved_plan.h"

#include <fcntl.h>
#include <simdjson.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/plan_members.h"
#include "hxo/hxo.h"

namespace {

using Json = nlohmann::json;

constexpr int kNotAPlan = 65;
constexpr int kUnreadable = 66;
constexpr int kCannotCreate = 73;
constexpr size_t kDifferencesShown = 20;

std::string Dump(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The absolute path of a file, links resolved; path itself when it cannot be resolved.
std::string Resolved(const char* path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) != nullptr ? resolved : path;
}

// The installation file in use, resolved; empty for the built-in installation.
std::string InstallationInUse() {
  const char* file = std::getenv("ORBITANE_SIM");
  return file == nullptr || *file == '\0' ? std::string() : Resolved(file);
}

std::string NameOfInstallation(const std::string& file) {
  return file.empty() ? "the built-in installation" : file;
}

// Writes text to a new file beside path and renames it over path, keeping path's mode: a reader
// sees the old plan or the new one. false with errno set when it could not.
bool ReplacePlanFile(const std::string& path, const std::string& text) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = fchmod(fd, status.st_mode & 07777) == 0;
  for (size_t done = 0; ok && done < text.size();) {
    const ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) done += static_cast<size_t>(written);
  }
  ok = ok && fsync(fd) == 0;
  const int error = errno;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int reason = errno != 0 ? errno : error;
    unlink(temporary.c_str());
    errno = reason;
  }
  return ok;
}

}  // namespace

// A plan file's text, read in the ranges asked for. Its memory is reserved at once and what is
// never read is never touched: --apply reads the ends of a plan this program wrote, and leaves its
// change list, the bulk of a large plan, unread.
class PlanText {
 public:
  // false with errno set when the file cannot be read.
  bool Open(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {  // read as it comes, whole
      whole = true;
      return !simdjson::padded_string::load(path).get(text);
    }
    file.reset(std::fopen(path, "rb"));
    if (file == nullptr || fstat(fileno(file.get()), &status) != 0) return false;
    text = simdjson::padded_string(static_cast<size_t>(status.st_size));
    if (text.data() == nullptr) errno = ENOMEM;
    return text.data() != nullptr;
  }

  // Fills in the bytes from begin to end; false with errno set when they cannot be read.
  bool Read(size_t begin, size_t end) {
    if (whole) return true;
    while (begin < end) {
      const ssize_t got =
          pread(fileno(file.get()), text.data() + begin, end - begin, static_cast<off_t>(begin));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        if (got == 0) errno = EIO;  // the file is shorter than it was
        return false;
      }
      begin += static_cast<size_t>(got);
    }
    return true;
  }

  bool ReadWhole() {
    whole = Read(0, text.size());
    return whole;
  }

  const simdjson::padded_string& Text() const { return text; }

 private:
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, std::fclose};
  simdjson::padded_string text;
  bool whole = false;  // every byte is there
};

namespace {

// The plan file with "applied" (the time, UTC) as its last member.
int MarkApplied(const SavedPlan& saved) {
  char now[32];
  const std::time_t seconds = std::time(nullptr);
  std::tm utc{};
  std::strftime(now, sizeof now, "%Y-%m-%dT%H:%M:%SZ", gmtime_r(&seconds, &utc));
  struct stat status {};
  if (stat(saved.file, &status) != 0 || !S_ISREG(status.st_mode)) {
    std::fprintf(stderr,
                 "hxo_cmdline: nothing was run: the plan %s cannot be marked as applied: it is not "
                 "a regular file\n",
                 saved.file);
    return kCannotCreate;
  }
  if (!saved.text->ReadWhole()) {
    std::fprintf(stderr,
                 "hxo_cmdline: nothing was run: the plan %s cannot be marked as applied: %s\n",
                 saved.file, std::strerror(errno));
    return kCannotCreate;
  }
  const simdjson::padded_string& text = saved.text->Text();
  std::string updated(text.data(), text.size());
  const size_t end = updated.rfind('}');  // a saved plan is an object: there is one
  updated.insert(end, ",\n\"applied\": \"" + std::string(now) + "\"");
  if (ReplacePlanFile(Resolved(saved.file), updated)) return 0;
  std::fprintf(stderr,
               "hxo_cmdline: nothing was run: the plan %s cannot be marked as applied: %s\n",
               saved.file, std::strerror(errno));
  return kCannotCreate;
}

// Each change as one line of JSON, sorted, so that two runs' changes compare as lists.
std::vector<std::string> SortedChanges(const Json& changes) {
  std::vector<std::string> lines;
  if (changes.is_array()) {
    lines.reserve(changes.size());
    for (const Json& change : changes) lines.push_back(Dump(change));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The lines of a not in b, each after label, the first few of them.
void ReportMissing(const std::vector<std::string>& a, const std::vector<std::string>& b,
                   const char* label) {
  std::vector<std::string> missing;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(missing));
  for (size_t i = 0; i < missing.size() && i < kDifferencesShown; ++i) {
    std::fprintf(stderr, "  %s: %s\n", label, missing[i].c_str());
  }
  if (missing.size() > kDifferencesShown) {
    std::fprintf(stderr, "  ... and %zu more %s\n", missing.size() - kDifferencesShown, label);
  }
}

}  // namespace

int TakeApplyOption(int argc, char** argv, int& i, const char*& planFile) {
  const char* argument = argv[i];
  if (std::strncmp(argument, "--apply=", 8) == 0) {
    planFile = argument + 8;
  } else if (std::strcmp(argument, "--apply") != 0) {
    return 0;
  } else if (i + 1 < argc) {
    planFile = argv[++i];
  } else {
    return -1;
  }
  return planFile[0] == '\0' ? -1 : 1;
}

std::string WithPlanRecord(const std::string& plan, const char* script) {
  char* record = nullptr;
  const size_t end = plan.rfind('}');
  if (end == std::string::npos || HXO_GetPlanRecord(&record) != 0) return plan;
  char folder[PATH_MAX];
  const std::string installation = InstallationInUse();
  std::string madeFrom =
      "{\"script\": " + Dump(script != nullptr ? Json(Resolved(script)) : Json()) +
      ", \"directory\": " + Dump(getcwd(folder, sizeof folder) != nullptr ? Json(folder) : Json()) +
      ", \"installation\": " + Dump(installation.empty() ? Json() : Json(installation)) + ",\n" +
      (record + 1);  // the record's members follow
  std::free(record);
  // The record's length after it: --apply finds the record from the end of the file, without
  // reading the changes before it.
  return plan.substr(0, end) + ",\n\"made_from\": " + madeFrom +
         ",\n\"made_from_bytes\": " + std::to_string(madeFrom.size()) + plan.substr(end);
}

int ReadSavedPlan(SavedPlan& saved) {
  saved.text = std::make_shared<PlanText>();
  PlanText& text = *saved.text;
  auto unreadable = [&saved] {
    std::fprintf(stderr, "hxo_cmdline: cannot read the plan %s: %s\n", saved.file,
                 std::strerror(errno));
    return kUnreadable;
  };
  if (!text.Open(saved.file)) return unreadable();
  PlanMembers plan;
  bool read = ReadPlanEnds(
      text.Text(), [&text](size_t begin, size_t end) { return text.Read(begin, end); }, plan);
  if (!read) {  // a plan laid out otherwise (edited, or of an earlier version) is read whole
    if (!text.ReadWhole()) return unreadable();
    plan = PlanMembers();
    read = ReadPlanMembers(text.Text(), plan);
  }
  if (!read || !plan.hasChanges || !plan.hasRecord) {
    std::fprintf(stderr,
                 "hxo_cmdline: %s is not a saved plan: write one with --plan FILE.json SCRIPT\n",
                 saved.file);
    return kNotAPlan;
  }
  const RecordHead& head = plan.head;
  if (!head.hasFormat) {  // the first version's record named every node by its whole path
    std::fprintf(stderr,
                 "hxo_cmdline: the plan %s was saved by an earlier version of hxo_cmdline, whose "
                 "record this one does not read: make a new plan\n",
                 saved.file);
    return kNotAPlan;
  }
  if (!head.script) {
    std::fprintf(stderr,
                 "hxo_cmdline: the plan %s was not made from a script file, so it cannot be "
                 "applied: save the commands in a file and plan it\n",
                 saved.file);
    return kNotAPlan;
  }
  saved.script = *head.script;
  saved.record = plan.record;
  saved.path = Resolved(saved.file);
  saved.complete = plan.complete;
  if (head.directory) saved.directory = *head.directory;
  if (plan.hasApplied && !saved.readOnly) {
    std::fprintf(stderr,
                 "hxo_cmdline: nothing was run: the plan %s was applied at %s; make a new plan\n",
                 saved.file, plan.applied.c_str());
    return kPlanOutdated;
  }
  const std::string planned(head.installation ? *head.installation : "");
  const char* named = std::getenv("ORBITANE_SIM");
  if (named == nullptr || *named == '\0') {
    setenv("ORBITANE_SIM", planned.c_str(), 1);
  } else if (Resolved(named) != planned) {
    std::fprintf(stderr, "hxo_cmdline: nothing was run: the plan %s was made on %s, not on %s\n",
                 saved.file, NameOfInstallation(planned).c_str(),
                 NameOfInstallation(Resolved(named)).c_str());
    return kPlanOutdated;
  }
  if (saved.readOnly) {
    setenv("ORBITANE_SIM_READONLY", "1", 1);
  } else {
    unsetenv("ORBITANE_SIM_READONLY");
  }
  return 0;
}

int CheckSavedPlan(SavedPlan& saved) {
  char* report = nullptr;
  // The record is read where the file's text holds it: the rest of the plan and the text's
  // padding follow it.
  static_assert(simdjson::SIMDJSON_PADDING >= HXO_RECORD_PADDING);
  const int differences =
      HXO_CheckPlanRecordInPlace(saved.record.data(), saved.record.size(), &report);
  if (differences < 0) {
    std::fprintf(stderr, "hxo_cmdline: %s is not a saved plan: its record cannot be read\n",
                 saved.file);
    return kNotAPlan;
  }
  if (differences > 0) {
    std::fprintf(stderr, "hxo_cmdline: nothing was run: %s no longer holds:\n%s", saved.file,
                 report);
    std::free(report);
    return kPlanOutdated;
  }
  std::free(report);
  if (!saved.readOnly) {
    if (int status = MarkApplied(saved); status != 0) return status;
  }
  if (!saved.directory.empty() && chdir(saved.directory.c_str()) != 0) {
    std::fprintf(stderr,
                 "hxo_cmdline: nothing was run: cannot enter %s, where the plan was made: %s\n",
                 saved.directory.c_str(), std::strerror(errno));
    return kPlanOutdated;
  }
  // The run's own memory takes the place of the plan's text; the changes, needed only when the run
  // differs, are read again then.
  saved.text.reset();
  saved.record = {};
  return 0;
}

int CompareWithSavedPlan(const SavedPlan& saved) {
  // The installation tells at once when the run left what the planned run left; else the changes
  // are made and compared one by one.
  if (HXO_RunLeftAsPlanned(saved.complete ? 1 : 0) == 1) return 0;
  char* text = nullptr;
  const bool made = HXO_GetPlan("json", &text) == 0;
  const simdjson::padded_string padded(std::string_view(made ? text : ""));
  std::free(text);
  simdjson::dom::parser parser;
  simdjson::dom::object plan;
  simdjson::dom::element changes;
  if (parser.parse(padded).get(plan) || plan["changes"].get(changes)) {
    std::fprintf(stderr, "hxo_cmdline: the installation cannot say what the run changed\n");
    return kRunDifferedFromPlan;
  }
  bool complete = true;
  const bool sameEnd = (plan["complete"].get(complete) || complete) == saved.complete;
  const std::string changed = simdjson::minify(changes);
  // Changes that cannot be read (an edited plan) are none: every change made is then named.
  simdjson::padded_string plannedText;
  PlanMembers members;
  if (simdjson::padded_string::load(saved.path).get(plannedText) ||
      !ReadPlanMembers(plannedText, members)) {
    members.changes = "[]";
  }
  const simdjson::padded_string plannedChangesText(members.changes);
  simdjson::dom::parser plannedParser;
  simdjson::dom::element plannedChanges;
  const std::string plannedList = plannedParser.parse(plannedChangesText).get(plannedChanges)
                                      ? std::string("[]")
                                      : simdjson::minify(plannedChanges);
  if (changed == plannedList && sameEnd) return 0;  // the same changes in the same order
  std::fprintf(stderr, "hxo_cmdline: the run differed from the plan %s:\n", saved.file);
  const std::vector<std::string> planned = SortedChanges(Json::parse(plannedList));
  const std::vector<std::string> changedLines = SortedChanges(Json::parse(changed));
  ReportMissing(planned, changedLines, "planned, not made");
  ReportMissing(changedLines, planned, "made, not planned");
  if (!sameEnd) {
    std::fprintf(stderr, "  %s\n",
                 saved.complete ? "this run stopped early, the planned one did not"
                                : "the planned run stopped early, this one did not");
  }
  return kRunDifferedFromPlan;
}
