// Data operations of a node: properties, named data items, remote commands, liveness.
#include "sim/identity.h"
#include "sim/named_items.h"
#include "sim/node.h"
#include "sim/refusal.h"
#include "sim/site_fields.h"

namespace sim {
namespace {

class Collector final : public NameValueActionAlgorithm {
 public:
  void Process(const char* name, const char* value, action_t) override {
    if (name == nullptr) return;
    // Each text measured once.
    const std::string_view nameText(name), valueText(value == nullptr ? "" : value);
    if (!invalid && (!IsValidUtf8(nameText) || !IsValidUtf8(valueText))) invalid = name;
    texts.emplace_back(nameText, valueText);
  }
  TextMap::Texts texts;           // views into the visited set, in its order
  const char* invalid = nullptr;  // the first property whose name or value is not UTF-8
};

char* Copy(std::string_view text) { return SharedHeapStrdup(std::string(text).c_str()); }

// A text for a message: as it is when it is UTF-8, else its bytes above ASCII as \xHH.
std::string Printable(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

// The installation file holds UTF-8 text only: other bytes are refused, with the reason.
void ReportNotUtf8(std::string_view what, const Entry& entry, std::string_view consequence) {
  Library::Get().ReportRefused(std::string(what) + " of " + Describe(entry) +
                               ": not UTF-8 text, and the installation holds UTF-8 only; " +
                               std::string(consequence));
}

}  // namespace

NodePropertySet* SimNode::GetProperties() {
  if (Tracing()) TraceCall("GetProperties");
  Entry* entry = Live();
  if (!entry || entry->Fails("GetProperties")) return nullptr;
  auto* set = new NodePropertySet();
  for (const auto& [name, value] : entry->properties) {
    set->SetPropertyValueWithAction(name.data(), value.data(), ACTION_NONE);
  }
  return set;
}

bool SimNode::SetProperties(const NodePropertySet& set) {
  Collector collector;
  collector.texts.reserve(set.size());
  set.DoForEachProperty(collector);
  TextMap properties;
  properties.Assign(collector.texts);
  if (Library::Get().trace().On()) {
    std::string arguments;
    for (const auto& [name, value] : properties) {
      arguments += " " + TraceText(name) + "=" + TraceText(value);
    }
    TraceCall("SetProperties", arguments);
  }
  Entry* entry = Live();
  // The root has no place for properties in the site file.
  if (!entry || NodeKind() == Kind::Root || entry->Fails("SetProperties")) return false;
  if (collector.invalid != nullptr) {
    ReportNotUtf8("property \"" + Printable(collector.invalid) + "\"", *entry,
                  "none of its properties were written");
    return false;
  }
  entry->properties.swap(properties);
  return KeepOrUndo({"the properties", *entry}, [&] { entry->properties.swap(properties); });
}

bool SimNode::NodeIsAlive() {
  if (Tracing()) TraceCall("NodeIsAlive");
  Entry* entry = Live();
  if (entry != nullptr && !entry->alive) {
    Refuse(kOrbitaneRefusalNoAnswer, Description() + " does not answer");
  }
  return entry != nullptr && entry->alive;
}

char* SimNode::GetNamedDataItem(const char* item) {
  TraceCall("GetNamedDataItem", item == nullptr ? std::string(" (null)") : " " + TraceText(item));
  Entry* entry = Live();
  const std::shared_ptr<Site>& site = Library::Get().site();
  if (!entry || !site || item == nullptr || entry->Fails("GetNamedDataItem")) return nullptr;
  const std::string_view name(item);

  if (name == "version:1") {
    const std::optional<std::string>& version = entry->Details().version;
    return NodeKind() == Kind::Broker && version ? Copy(*version) : nullptr;
  }
  if (name == "rulelist") return site->rules.empty() ? nullptr : Copy(RuleListText(site->rules));
  if (name == "autoconfig_status") return Copy(NextReconfigStatus(entry->EditDetails().reconfig));

  std::optional<LogRequest> request = ParseLogRequest(name);
  if (!request) return nullptr;
  // A followed log grows by one feed line whenever a piece request reads up to its end. Reading
  // writes nothing: the grown log reaches the file with the next change that is written.
  const std::vector<std::string>& logs = entry->Details().logs;
  if (request->piece && request->backup == 0 && !entry->Details().logFeed.empty() &&
      ReachesEnd(*request, logs.empty() ? 0 : logs[0].size())) {
    EntryDetails& details = entry->EditDetails();
    if (details.logs.empty()) details.logs.emplace_back();
    details.logs[0] += details.logFeed.front();
    details.logs[0] += '\n';
    details.logFeed.erase(details.logFeed.begin());  // feeds are short
  }
  if (request->backup < 0 || static_cast<uint64_t>(request->backup) >= logs.size()) {
    return nullptr;
  }
  const std::string& log = logs[static_cast<size_t>(request->backup)];
  if (!request->piece) return Copy(TailReply(log, request->size));
  return Copy(PieceReply(log, request->offset, request->size));
}

bool SimNode::ExecuteCommand(const char* command, const char* arguments) {
  TraceCall("ExecuteCommand", std::string(" ") + TraceText(command ? command : "") +
                                  (arguments && *arguments ? " " + TraceText(arguments) : ""));
  Entry* entry = Live();
  // The root has no journal and no commands; texts must be UTF-8 to be journaled.
  if (!entry || NodeKind() == Kind::Root || command == nullptr || entry->Fails("ExecuteCommand")) {
    return false;
  }
  const std::string args = arguments == nullptr ? "" : arguments;
  if (!IsValidUtf8(command) || !IsValidUtf8(args)) {
    const std::string line = args.empty() ? std::string(command) : command + (" " + args);
    ReportNotUtf8("the command \"" + Printable(line) + "\"", *entry, "it was not journaled");
    return false;
  }

  bool accepted = false;
  for (const std::string& known : CommandsOf(*entry)) {
    accepted = accepted || EqualsIgnoringCase(known, command);
  }
  EntryDetails& details = entry->EditDetails();
  const Reconfig previous = details.reconfig;
  details.journal.push_back(args.empty() ? std::string(command)
                                         : std::string(command) + " " + args);
  if (accepted && EqualsIgnoringCase(command, "reconfig")) {
    details.reconfig.ran = true;
    details.reconfig.pending = details.reconfig.polls;
  }
  const std::string change = "the journal entry \"" + details.journal.back() + "\"";
  const bool kept = KeepOrUndo({change, *entry}, [&] {
    details.journal.pop_back();
    details.reconfig = previous;
  });
  if (!accepted) {
    Refuse(kOrbitaneRefusalNotAccepted,
           Description() + " does not accept the command \"" + std::string(command) + "\"");
  }
  return accepted && kept;
}

}  // namespace sim
