#include "sim/fingerprint.h"

#include "orbitane/sha256.h"
#include "sim/identity.h"
#include "sim/json_text.h"

namespace sim {
namespace {

// The children as a fingerprint and a record list them: the autoconfig object, then the others
// in file order.
template <class Visit>
void ForEachChild(const Entry& entry, Visit visit) {
  if (entry.Details().autoconfig) visit(*entry.Details().autoconfig);
  for (const std::shared_ptr<Entry>& child : entry.children.InOrder()) {
    if (child != nullptr) visit(*child);
  }
}

class RecordWriter {
 public:
  RecordWriter(const std::vector<bool>& read,
               const std::unordered_map<uint64_t, std::string>& names)
      : readIds(read), names(names) {}

  // Writes the records of entry and everything below it.
  void Walk(const Entry& entry) {
    if (entry.kind != Kind::Root) path.push_back(&entry);
    if (entry.id < readIds.size() && readIds[entry.id]) Write(entry);
    ForEachChild(entry, [this](const Entry& child) { Walk(child); });
    if (entry.kind != Kind::Root) path.pop_back();
  }

  std::string Finish() { return out + (out.empty() ? "[]" : "\n]"); }

 private:
  void Write(const Entry& entry) {
    out += out.empty() ? "[\n{\"path\": [" : ",\n{\"path\": [";
    for (size_t i = 0; i < path.size(); ++i) {
      if (i != 0) out += ", ";
      AppendJsonString(out, Describe(*path[i]));
    }
    out += "]";
    // A name that is not UTF-8 (a script's bytes) cannot be a JSON text: the path names the node.
    if (auto name = names.find(entry.id); name != names.end() && IsValidUtf8(name->second)) {
      out += ", \"object\": ";
      AppendJsonString(out, name->second);
    }
    out += ", \"fingerprint\": \"" + Fingerprint(entry) + "\", \"properties\": {";
    bool first = true;
    for (const auto& [key, value] : entry.properties) {
      if (!first) out += ", ";
      first = false;
      AppendJsonString(out, key);
      out += ": ";
      AppendJsonString(out, value);
    }
    out += "}, \"children\": [";
    first = true;
    ForEachChild(entry, [&](const Entry& child) {
      if (!first) out += ", ";
      first = false;
      AppendJsonString(out, Describe(child));
    });
    out += "]}";
  }

  const std::vector<bool>& readIds;
  const std::unordered_map<uint64_t, std::string>& names;
  std::vector<const Entry*> path;
  std::string out;
};

}  // namespace

std::string Fingerprint(const Entry& entry) {
  // One context for every entry: making one costs more than digesting a target.
  static Sha256 digest;
  digest.AddField(Describe(entry));
  digest.AddField(entry.local ? "local" : "");
  digest.AddField(std::to_string(entry.properties.size()));
  for (const auto& [key, value] : entry.properties) {
    digest.AddField(key);
    digest.AddField(value);
  }
  ForEachChild(entry, [](const Entry& child) { digest.AddField(Describe(child)); });
  return digest.Hex();
}

std::string FingerprintRecords(const Site& site, const std::vector<bool>& read,
                               const std::unordered_map<uint64_t, std::string>& names) {
  RecordWriter writer(read, names);
  writer.Walk(*site.root);
  return writer.Finish();
}

}  // namespace sim
