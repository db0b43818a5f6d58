// What a saved plan records of how it was made (the scripts that ran and the fingerprints of the
// nodes they read), and the check, before the plan is applied, that all of it still holds. The
// fingerprints come from the optional entry points of orbitane/extensions.h.
#include <simdjson.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "entry/process_workspace.h"
#include "hxo/hxo.h"
#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"
#include "orbitane/sha256.h"
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

// One line for each recorded script whose file no longer holds what ran.
std::string ScriptDrift(simdjson::dom::array scripts, int& found) {
  std::string lines;
  for (simdjson::dom::element script : scripts) {
    const std::string path(script["path"].get_string().value_unsafe());
    std::string_view digest;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file) text << file.rdbuf();
    if (!file) {
      lines += "- " + path + ": the script cannot be read since the plan\n";
    } else if (script["sha256"].get(digest)) {
      lines += "~ " + path + ": the script was not a file when the plan was made\n";
    } else if (Sha256Hex(text.str()) != digest) {
      lines += "~ " + path + ": the script changed since the plan\n";
    } else {
      continue;
    }
    ++found;
  }
  return lines;
}

// Whether scripts is a list of objects with a "path" text and a "sha256" text or null.
bool IsScriptList(simdjson::dom::element scripts) {
  simdjson::dom::array list;
  if (scripts.get(list)) return false;
  for (simdjson::dom::element script : list) {
    simdjson::dom::element digest;
    if (!script["path"].is_string() || script["sha256"].get(digest) ||
        !(digest.is_string() || digest.is_null())) {
      return false;
    }
  }
  return true;
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
  std::string text = "{\"scripts\": " + Dump(scripts) + ",\n\"nodes\": " + nodes + "}";
  SharedHeapFree(nodes);
  if (record != nullptr) *record = strdup(text.c_str());
  return 0;
}

HXO_API int HXO_CheckPlanRecord(const char* record, char** report) {
  if (report != nullptr) *report = nullptr;
  if (!HXO_CanApplyPlans() || record == nullptr) return -1;
  simdjson::dom::parser parser;
  const simdjson::padded_string text(std::string_view{record});
  simdjson::dom::object parsed;
  simdjson::dom::element scripts, nodes;
  if (parser.parse(text).get(parsed) || parsed["scripts"].get(scripts) || !IsScriptList(scripts) ||
      parsed["nodes"].get(nodes)) {
    return -1;
  }
  char* drift = OrbitaneDrift(simdjson::minify(nodes).c_str());
  if (drift == nullptr) return -1;
  int found = 0;
  std::string lines = ScriptDrift(scripts.get_array().value_unsafe(), found);
  for (const char* at = drift; *at != '\0'; ++at) found += *at == '\n';
  lines += drift;
  SharedHeapFree(drift);
  if (report != nullptr) *report = strdup(lines.c_str());
  return found;
}

}  // extern "C"
