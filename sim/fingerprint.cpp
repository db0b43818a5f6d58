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
  if (entry.autoconfig) visit(*entry.autoconfig);
  for (const std::shared_ptr<Entry>& child : entry.children.InOrder()) {
    if (child != nullptr) visit(*child);
  }
}

class RecordWriter {
 public:
  RecordWriter(const std::vector<bool>& read,
               const std::unordered_map<uint64_t, std::string>& names)
      : read_(read), names_(names) {}

  // Writes the records of entry and everything below it.
  void Walk(const Entry& entry) {
    if (entry.kind != Kind::Root) path_.push_back(&entry);
    if (entry.id < read_.size() && read_[entry.id]) Write(entry);
    ForEachChild(entry, [this](const Entry& child) { Walk(child); });
    if (entry.kind != Kind::Root) path_.pop_back();
  }

  std::string Finish() { return out_ + (out_.empty() ? "[]" : "\n]"); }

 private:
  void Write(const Entry& entry) {
    out_ += out_.empty() ? "[\n{\"path\": [" : ",\n{\"path\": [";
    for (size_t i = 0; i < path_.size(); ++i) {
      if (i != 0) out_ += ", ";
      AppendJsonString(out_, Describe(*path_[i]));
    }
    out_ += "]";
    // A name that is not UTF-8 (a script's bytes) cannot be a JSON text: the path names the node.
    if (auto name = names_.find(entry.id); name != names_.end() && IsValidUtf8(name->second)) {
      out_ += ", \"object\": ";
      AppendJsonString(out_, name->second);
    }
    out_ += ", \"fingerprint\": \"" + Fingerprint(entry) + "\", \"properties\": {";
    bool first = true;
    for (const auto& [key, value] : entry.properties) {
      if (!first) out_ += ", ";
      first = false;
      AppendJsonString(out_, key);
      out_ += ": ";
      AppendJsonString(out_, value);
    }
    out_ += "}, \"children\": [";
    first = true;
    ForEachChild(entry, [&](const Entry& child) {
      if (!first) out_ += ", ";
      first = false;
      AppendJsonString(out_, Describe(child));
    });
    out_ += "]}";
  }

  const std::vector<bool>& read_;
  const std::unordered_map<uint64_t, std::string>& names_;
  std::vector<const Entry*> path_;
  std::string out_;
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
  ForEachChild(entry, [&digest](const Entry& child) { digest.AddField(Describe(child)); });
  return digest.Hex();
}

std::string FingerprintRecords(const Site& site, const std::vector<bool>& read,
                               const std::unordered_map<uint64_t, std::string>& names) {
  RecordWriter writer(read, names);
  writer.Walk(*site.root);
  return writer.Finish();
}

}  // namespace sim
