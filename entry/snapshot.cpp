// Walking the declared agents' nodes: definitions, liveness, properties, the current log's tail,
// versions, the local broker, the autoconfig object and the children, written as site file JSON.
#include "entry/snapshot.h"

#include <memory>
#include <set>
#include <string_view>

#include "entry/process_workspace.h"
#include "model/server_session.h"
#include "orbitane/orbitaneapi.h"

namespace {

constexpr const char* kLogTail = "log:0:65536";  // the last 64 KiB of the current log

void Quote(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

// The log text of a tail reply ("OFFSET\nTEXT"). A tail that starts inside the log (offset
// above 0) begins at its first whole line, or, in a line longer than the tail, at its first whole
// character, so that the snapshot never holds a cut UTF-8 character.
std::string_view WholeLinesOfTail(std::string_view reply) {
  const size_t header = reply.find('\n');
  if (header == std::string_view::npos) return reply;
  const bool cut = reply.substr(0, header) != "0";
  std::string_view tail = reply.substr(header + 1);
  if (!cut) return tail;
  const size_t lineEnd = tail.find('\n');
  if (lineEnd != std::string_view::npos && lineEnd + 1 < tail.size()) {
    return tail.substr(lineEnd + 1);
  }
  size_t start = 0;
  while (start < tail.size() && (static_cast<unsigned char>(tail[start]) & 0xC0) == 0x80) ++start;
  return tail.substr(start);
}

// A named data item as text, or none.
bool Item(TreeNode& node, const char* name, std::string& text) {
  char* item = node.GetNamedDataItem(name);
  if (item == nullptr) return false;
  text = item;
  SharedHeapFree(item);
  return true;
}

class PropertyWriter final : public NameValueActionAlgorithm {
 public:
  explicit PropertyWriter(std::string& out) : out_(out) {}
  void Process(const char* name, const char* value, action_t) override {
    if (name == nullptr) return;
    out_ += first_ ? "" : ", ";
    first_ = false;
    Quote(out_, name);
    out_ += ": ";
    Quote(out_, value == nullptr ? "" : value);
  }

 private:
  std::string& out_;
  bool first_ = true;
};

class Snapshot {
 public:
  explicit Snapshot(std::string& out) : out_(out) {}

  // One node as an object of the site file; kind is its type name.
  void Node(TreeNode& node, const std::string& kind, bool local) {
    const ChildDefinitionData record = node.GetDefinitionData();
    out_ += "{";
    first_ = true;
    if (kind == "Agent" || kind == "Broker") {
      Field("ipaddr", record.getv("ipaddr"));
      Key("port");
      out_ += record.getv("port") ? record.getv("port") : "5465";
    } else if (kind == "DSM") {
      Field("name", record.getv("name"));
    } else if (kind == "Target") {
      Field("ipaddr", record.getv("ipaddr"));
      Field("community", record.getv("community"));
    }
    if (!node.NodeIsAlive()) Key("alive"), out_ += "false";
    if (local) Key("local"), out_ += "true";
    std::string text;
    if (kind == "Broker" && Item(node, "version:1", text)) Key("version"), Quote(out_, text);
    Key("properties");
    out_ += "{";
    std::unique_ptr<NodePropertySet> set{node.GetProperties()};
    // An empty set would pass for the node's truth.
    if (!set) return Unreadable("the properties", node, kind);
    PropertyWriter writer(out_);
    set->DoForEachProperty(writer);
    out_ += "}";
    if (Item(node, kLogTail, text)) {
      Key("logs");
      out_ += "[";
      Quote(out_, WholeLinesOfTail(text));
      out_ += "]";
    }
    if (kind == "Broker") Autoconfig(node);
    if (!problem_.empty()) return;
    const char* list = kind == "Agent"    ? "brokers"
                       : kind == "Broker" ? "dsms"
                       : kind == "DSM"    ? "targets"
                                          : nullptr;
    if (list != nullptr) Children(node, kind, list, kind == "Agent" ? LocalBroker(node) : "");
    out_ += "}";
    first_ = false;
  }

  // What could not be read, naming the node; empty while everything could.
  const std::string& problem() const { return problem_; }

 private:
  // Ends the snapshot: what of the node cannot be read.
  void Unreadable(const char* what, TreeNode& node, const std::string& kind) {
    if (!problem_.empty()) return;
    problem_ = std::string(what) + " of " + kind + " " + Name(node, kind) + " cannot be read";
  }

  // The node as its kind identifies it: "10.1.1.1:5465", "dsm1", "10.2.0.1@public".
  static std::string Name(TreeNode& node, const std::string& kind) {
    const ChildDefinitionData& record = node.GetDefinitionData();
    auto field = [&record](const char* key) {
      const char* value = record.getv(key);
      return std::string(value != nullptr ? value : "");
    };
    if (kind == "DSM") return field("name");
    if (kind == "Target") return field("ipaddr") + "@" + field("community");
    return Identity(node);
  }

  // The key of the next member of the object being written.
  void Key(const char* key) {
    out_ += first_ ? "" : ", ";
    first_ = false;
    Quote(out_, key);
    out_ += ": ";
  }
  void Field(const char* key, const char* value) {
    Key(key);
    Quote(out_, value == nullptr ? "" : value);
  }

  // "ipaddr:port" of the agent's local broker, or empty.
  static std::string LocalBroker(TreeNode& agent) {
    ChildDefinitionData record;
    record.setv("kind", "broker");
    std::unique_ptr<TreeNode> broker{agent.GetPotentialChild(record)};
    return broker ? Identity(*broker) : "";
  }

  static std::string Identity(TreeNode& node) {
    const ChildDefinitionData& record = node.GetDefinitionData();
    const char* address = record.getv("ipaddr");
    const char* port = record.getv("port");
    return std::string(address ? address : "") + ":" + (port ? port : "5465");
  }

  void Autoconfig(TreeNode& broker) {
    ChildDefinitionData record;
    record.setv("kind", "autoconfig");
    std::unique_ptr<TreeNode> autoconfig{broker.GetPotentialChild(record)};
    if (!autoconfig) return;
    Key("autoconfig");
    Node(*autoconfig, "AutoConfig", false);
  }

  void Children(TreeNode& node, const std::string& kind, const char* list,
                const std::string& local) {
    Key(list);
    out_ += "[";
    std::unique_ptr<TreeWalker> walker{node.GetChildWalker()};
    if (!walker) return Unreadable("the children", node, kind);
    bool first = true;
    for (walker->First(); !walker->AtEnd() && problem_.empty(); walker->Next()) {
      std::unique_ptr<TreeNode> child{walker->Current()};
      if (!child) continue;
      out_ += first ? "\n" : ",\n";
      first = false;
      const std::string kind = child->GetTypeName();
      Node(*child, kind, kind == "Broker" && !local.empty() && Identity(*child) == local);
    }
    out_ += "]";
  }

  std::string& out_;
  bool first_ = true;  // no member written yet in the object being written
  std::string problem_;
};

}  // namespace

bool MakeSnapshot(std::string& text, std::string& problem) {
  ServerSession* session = ProcessWorkspace().serverSession();
  if (session == nullptr || session->root == nullptr) {
    problem = "the script did not authenticate: there is nothing to take a snapshot of";
    return false;
  }
  text = "{\"format\": 1, \"server\": ";
  Quote(text, session->server);
  text +=
      ",\n\"comment\": \"A snapshot: taken through the interface, it cannot carry what the "
      "interface does not tell: which addresses answer (ADD of an address succeeds here "
      "where the installation may refuse it) nor the passwords (any user and any password "
      "are accepted).\",\n\"any_password\": true, \"users\": {";
  Quote(text, session->user);
  text += ": \"\"}";
  std::string rules;
  if (Item(*session->root, "rulelist", rules)) {
    text += ",\n\"rules\": [";
    bool first = true;
    for (size_t at = 0; at < rules.size();) {
      size_t end = rules.find('\n', at);
      if (end == std::string::npos) end = rules.size();
      const std::string_view line(rules.data() + at, end - at);
      const size_t quote = line.find(" \"");
      if (quote != std::string_view::npos && line.size() >= quote + 3 && line.back() == '"') {
        text += first ? "\n" : ",\n";
        first = false;
        text += "{\"number\": " + std::string(line.substr(0, quote)) + ", \"description\": ";
        Quote(text, line.substr(quote + 2, line.size() - quote - 3));
        text += "}";
      }
      at = end + 1;
    }
    text += "]";
  }
  text += ",\n\"agents\": [";
  Snapshot snapshot(text);
  std::set<std::string> seen;
  for (const auto& [name, object] : ProcessWorkspace().registry()) {
    if (object->kind() != ObjectKind::Agent || !object->node()) continue;
    const ChildDefinitionData& record = object->node()->GetDefinitionData();
    const char* address = record.getv("ipaddr");
    const char* port = record.getv("port");
    if (!seen.insert(std::string(address ? address : "") + ":" + (port ? port : "")).second) {
      continue;
    }
    text += seen.size() == 1 ? "\n" : ",\n";
    snapshot.Node(*object->node(), "Agent", false);
    if (!snapshot.problem().empty()) {
      problem = snapshot.problem();
      return false;
    }
  }
  text += "]}\n";
  return true;
}
