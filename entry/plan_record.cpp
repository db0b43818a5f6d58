// What a saved plan records of how it was made (the scripts that ran and the fingerprints of the
// nodes they read), and the check, before the plan is applied, that all of it still holds. The
// fingerprints come from the optional entry points of orbitane/extensions.h.
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "entry/process_workspace.h"
#include "hxo/hxo.h"
#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"
#include "orbitane/sha256.h"
#include "runtime/failure_record.h"
#include "runtime/scripts_run.h"

namespace {

using Json = nlohmann::json;

std::string Dump(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The registered objects' names beside their nodes, so that fingerprints name them.
char* NamedFingerprints() {
  std::vector<const char*> names;
  std::vector<TreeNode*> nodes;
  for (const auto& [name, object] : ProcessWorkspace().registry()) {
    if (object->node() == nullptr) continue;
    names.push_back(object->name().c_str());
    nodes.push_back(object->node());
  }
  return OrbitaneFingerprints(names.data(), nodes.data(), names.size());
}

struct RecordedScript {
  std::string path;
  std::optional<std::string> sha256;  // none: it was not read from a regular file
};

// The SHA-256 of a file's bytes, digested a block at a time as they are read (a script may be
// megabytes); none when it cannot be opened or read.
std::optional<std::string> FileSha256(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  Sha256 digest;
  std::vector<char> block(64 * 1024);
  while (file) {
    file.read(block.data(), static_cast<std::streamsize>(block.size()));
    digest.Add(std::string_view(block.data(), static_cast<size_t>(file.gcount())));
  }
  if (file.bad()) return std::nullopt;
  return digest.Hex();
}

// One line for each recorded script whose file no longer holds what ran.
std::string ScriptDrift(const std::vector<RecordedScript>& scripts, int& found) {
  std::string lines;
  for (const RecordedScript& script : scripts) {
    const std::optional<std::string> sha256 = FileSha256(script.path);
    if (!sha256) {
      lines += "- " + script.path + ": the script cannot be read since the plan\n";
    } else if (!script.sha256) {
      lines += "~ " + script.path + ": the script was not a file when the plan was made\n";
    } else if (*sha256 != *script.sha256) {
      lines += "~ " + script.path + ": the script changed since the plan\n";
    } else {
      continue;
    }
    ++found;
  }
  return lines;
}

// Reads the "scripts" of a record and stops: the nodes that follow are the installation's to read,
// and the record may be tens of megabytes.
class ScriptListReader : public nlohmann::json_sax<Json> {
 public:
  std::vector<RecordedScript> scripts;
  bool complete = false;  // the list was read whole and well-formed
  bool valid = true;

  bool key(string_t& name) override {
    if (depth == 1) {
      inList = name == "scripts";
      return !complete;  // the members after the list are not read
    }
    if (depth == 3) field = name;
    return true;
  }
  bool start_object(std::size_t) override {
    ++depth;
    if (depth == 3 && inList) scripts.emplace_back(), haveDigest = haveNull = false;
    return valid;
  }
  bool end_object() override {
    if (depth == 3 && inList && (scripts.back().path.empty() || !(haveDigest || haveNull))) {
      valid = false;
    }
    --depth;
    return valid;
  }
  bool start_array(std::size_t) override {
    ++depth;
    return depth == 2 && inList ? true : Other();
  }
  bool end_array() override {
    if (depth == 2 && inList) complete = true;
    --depth;
    return true;
  }
  bool string(string_t& text) override {
    if (depth != 3 || !inList) return Other();
    if (field == "path") {
      scripts.back().path = text;
    } else if (field == "sha256") {
      scripts.back().sha256 = text;
      haveDigest = true;
    }
    return true;
  }
  bool null() override {
    if (depth != 3 || !inList || field != "sha256") return Other();
    haveNull = true;
    return true;
  }
  bool boolean(bool) override { return Other(); }
  bool number_integer(number_integer_t) override { return Other(); }
  bool number_unsigned(number_unsigned_t) override { return Other(); }
  bool number_float(number_float_t, const string_t&) override { return Other(); }
  bool binary(binary_t&) override { return Other(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    valid = false;
    return false;
  }

 private:
  // A value of another type inside the list of scripts makes the record unreadable; elsewhere it
  // is not read.
  bool Other() {
    if (inList && depth >= 2) valid = false;
    return valid;
  }

  int depth = 0;
  bool inList = false;
  std::string field;
  bool haveDigest = false, haveNull = false;
};

// The scripts of a record. None when record does not begin with a list of objects that hold a
// "path" text and a "sha256" text or null.
std::optional<std::vector<RecordedScript>> RecordedScripts(std::string_view record) {
  ScriptListReader reader;
  Json::sax_parse(record.begin(), record.end(), &reader);
  if (!reader.valid || !reader.complete) return std::nullopt;
  return std::move(reader.scripts);
}

// The check of a record: its scripts here, its nodes by drift(), the installation's lines (to be
// released with SharedHeapFree, null when it cannot compare).
template <class InstallationDrift>
int CheckRecord(std::string_view record, InstallationDrift drift, char** report) {
  if (report != nullptr) *report = nullptr;
  if (!HXO_CanApplyPlans()) return -1;
  const std::optional<std::vector<RecordedScript>> scripts = RecordedScripts(record);
  if (!scripts) return -1;
  char* found = drift();
  if (found == nullptr) return -1;
  int count = 0;
  std::string lines = ScriptDrift(*scripts, count);
  for (const char* at = found; *at != '\0'; ++at) count += *at == '\n';
  lines += found;
  SharedHeapFree(found);
  if (report != nullptr) *report = strdup(lines.c_str());
  return count;
}

}  // namespace

extern "C" {

HXO_API int HXO_CanApplyPlans(void) {
  return OrbitanePlan != nullptr && OrbitaneFingerprints != nullptr && OrbitaneDrift != nullptr ? 1
                                                                                                : 0;
}

HXO_API void HXO_RecordScripts(int on) { DigestScriptRuns(on != 0); }

HXO_API int HXO_GetPlanRecord(char** record) {
  if (record != nullptr) *record = nullptr;
  if (!HXO_CanApplyPlans()) return 1;
  char* nodes = NamedFingerprints();
  if (nodes == nullptr) return 1;
  Json scripts = Json::array();
  for (const ScriptRun& run : ScriptsRun()) {
    scripts.push_back({{"path", run.path}, {"sha256", run.sha256 ? Json(*run.sha256) : Json()}});
  }
  // The installation's object, with the scripts first.
  std::string text = "{\"scripts\": " + Dump(scripts) + ",\n" + (nodes + 1);
  SharedHeapFree(nodes);
  if (record != nullptr) *record = strdup(text.c_str());
  return 0;
}

HXO_API int HXO_CheckPlanRecord(const char* record, char** report) {
  if (record == nullptr) {
    if (report != nullptr) *report = nullptr;
    return -1;
  }
  return CheckRecord(
      record, [record] { return OrbitaneDrift(record); }, report);
}

HXO_API int HXO_CheckPlanRecordInPlace(const char* record, size_t length, char** report) {
  if (record == nullptr) {
    if (report != nullptr) *report = nullptr;
    return -1;
  }
  const std::string_view text(record, length);
  return CheckRecord(
      text,
      [text] {
        return OrbitaneDriftInPlace != nullptr
                   ? OrbitaneDriftInPlace(text.data(), text.size(), HXO_RECORD_PADDING)
                   : OrbitaneDrift(std::string(text).c_str());
      },
      report);
}

HXO_API int HXO_RunLeftAsPlanned(int complete) {
  if (OrbitaneLeftAsPlanned == nullptr) return 0;
  const bool wentToItsEnd = FirstStopOfTheRun() == nullptr;
  return wentToItsEnd == (complete != 0) && OrbitaneLeftAsPlanned() == 1 ? 1 : 0;
}

}  // extern "C"
