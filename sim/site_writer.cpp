// The site file writer: one walk over the entries for the write-back and for snapshots.
#include "sim/site_writer.h"

#include "sim/identity.h"
#include "sim/json_text.h"
#include "sim/kind.h"

namespace sim {

const char* const kSnapshotComment =
    "A snapshot: taken through the interface, it cannot carry what the interface does not tell: "
    "which addresses answer (ADD of an address succeeds here where the installation may refuse "
    "it) nor the passwords (any user and any password are accepted).";

namespace {

// How much of a node's current log a snapshot holds: the log's tail as the interface reads it.
constexpr size_t kSnapshotLogBytes = 65536;

// The last kSnapshotLogBytes of log. A tail that starts inside the log begins at its first whole
// line, or, in a line longer than the tail, at its first whole character, so that the snapshot
// never holds a cut UTF-8 character.
std::string_view SnapshotLog(std::string_view log) {
  if (log.size() <= kSnapshotLogBytes) return log;
  std::string_view tail = log.substr(log.size() - kSnapshotLogBytes);
  const size_t lineEnd = tail.find('\n');
  if (lineEnd != std::string_view::npos && lineEnd + 1 < tail.size()) {
    return tail.substr(lineEnd + 1);
  }
  size_t start = 0;
  while (start < tail.size() && (static_cast<unsigned char>(tail[start]) & 0xC0) == 0x80) ++start;
  return tail.substr(start);
}

class SiteWriter {
 public:
  // A snapshot writes what the interface tells of each node, the write-back everything.
  explicit SiteWriter(bool snapshot)
      : snapshot(snapshot),
        out(snapshot ? JsonText::Layout::Compact : JsonText::Layout::Indented,
            snapshot ? kSnapshotEscapes : kJsonEscapes) {}

  // One node and its subtree; false (and problem set) when a snapshot cannot read part of it.
  bool Node(const Entry& entry, bool local) {
    out.BeginObject();
    switch (entry.kind) {
      case Kind::Agent:
      case Kind::Broker:
        out.Key("ipaddr"), out.Text(entry.ipaddr);
        out.Key("port"), out.Number(entry.port);
        break;
      case Kind::Dsm:
        out.Key("name"), out.Text(entry.name);
        break;
      case Kind::Target:
        out.Key("ipaddr"), out.Text(entry.ipaddr);
        out.Key("community"), out.Text(entry.community);
        break;
      default:
        break;
    }
    const EntryDetails& details = entry.Details();
    if (!snapshot && !details.password.empty()) out.Key("password"), out.Text(details.password);
    if (!entry.alive) out.Key("alive"), out.Boolean(false);
    if (local) out.Key("local"), out.Boolean(true);
    // The interface gives a broker's version, and the current log, only where reading named
    // items does not fail.
    const bool itemsRead = !snapshot || !entry.Fails("GetNamedDataItem");
    if (details.version && itemsRead && (!snapshot || entry.kind == Kind::Broker)) {
      out.Key("version"), out.Text(*details.version);
    }

    if (snapshot && entry.Fails("GetProperties")) return Unreadable("the properties", entry);
    out.Key("properties");
    out.BeginObject();
    for (const auto& [name, value] : entry.properties) out.Key(name), out.Text(value);
    out.EndObject();

    if (snapshot) {
      if (!details.logs.empty() && itemsRead) {
        out.Key("logs");
        out.BeginList();
        out.Text(SnapshotLog(details.logs.front()));
        out.EndList();
      }
    } else {
      Details(details);
    }
    if (details.autoconfig) {
      out.Key("autoconfig");
      if (!Node(*details.autoconfig, false)) return false;
    }
    if (const char* key = ChildListKey(entry.kind)) {
      if (snapshot && entry.Fails("GetChildWalker")) return Unreadable("the children", entry);
      const Entry* localBroker = entry.Details().localBroker.lock().get();
      out.Key(key);
      out.BeginList();
      for (const auto& child : entry.children.InOrder()) {
        if (child == nullptr) continue;
        if (!Node(*child, snapshot ? child.get() == localBroker : child->local)) return false;
      }
      out.EndList();
    }
    out.EndObject();
    return true;
  }

  // What only the write-back holds: logs and their feed, commands, failures, the journal and
  // reconfiguration bookkeeping.
  void Details(const EntryDetails& details) {
    if (!details.logs.empty()) out.Key("logs"), out.Texts(details.logs);
    if (!details.logFeed.empty()) out.Key("log_feed"), out.Texts(details.logFeed);
    if (details.commandsGiven) out.Key("commands"), out.Texts(details.commands);
    if (!details.fail.empty()) out.Key("fail"), out.Texts(details.fail);
    if (!details.journal.empty()) out.Key("journal"), out.Texts(details.journal);
    if (details.reconfig.present || details.reconfig.ran) {
      const Reconfig& reconfig = details.reconfig;
      out.Key("reconfig");
      out.BeginObject();
      out.Key("polls"), out.Number(reconfig.polls);
      out.Key("result"), out.Number(reconfig.result);
      if (reconfig.ran) out.Key("ran"), out.Boolean(true);
      if (reconfig.pending != 0) out.Key("pending"), out.Number(reconfig.pending);
      out.EndObject();
    }
  }

  void Rules(const std::vector<Rule>& rules) {
    if (rules.empty()) return;
    out.BreakLine();
    out.Key("rules");
    out.BeginList();
    for (const Rule& rule : rules) {
      out.BeginObject();
      out.Key("number"), out.Number(rule.number);
      out.Key("description"), out.Text(rule.description);
      out.EndObject();
    }
    out.EndList();
  }

  // Ends a snapshot: what of the entry cannot be read.
  bool Unreadable(const char* what, const Entry& entry) {
    problem = std::string(what) + " of " + Describe(entry) + " cannot be read";
    return false;
  }

  const bool snapshot;
  JsonText out;
  std::string problem;
};

}  // namespace

std::string WriteSite(const Site& site) {
  SiteWriter writer(false);
  JsonText& out = writer.out;
  out.BeginObject();
  out.Key("format"), out.Number(1);
  out.Key("server"), out.Text(site.server);
  if (!site.comment.empty()) out.Key("comment"), out.Text(site.comment);
  if (site.anyPassword) out.Key("any_password"), out.Boolean(true);
  out.Key("users");
  out.BeginObject();
  for (const auto& [user, password] : site.users) out.Key(user), out.Text(password);
  out.EndObject();
  if (!site.unreachable.empty()) out.Key("unreachable"), out.Texts(site.unreachable);
  writer.Rules(site.rules);
  out.Key("agents");
  out.BeginList();
  for (const auto& agent : site.root->children.InOrder()) {
    if (agent != nullptr) writer.Node(*agent, agent->local);
  }
  out.EndList();
  out.EndObject();
  return out.str();
}

std::optional<std::string> WriteSnapshot(const Site& site, const std::vector<SnapshotAgent>& agents,
                                         const std::string& server, const std::string& user,
                                         std::string& problem) {
  SiteWriter writer(true);
  JsonText& out = writer.out;
  out.BeginObject();
  out.Key("format"), out.Number(1);
  out.Key("server"), out.Text(server);
  out.BreakLine();
  out.Key("comment"), out.Text(kSnapshotComment);
  out.BreakLine();
  out.Key("any_password"), out.Boolean(true);
  // Users and passwords are never read: the session's user stands for them.
  out.Key("users");
  out.BeginObject();
  out.Key(user), out.Text("");
  out.EndObject();
  writer.Rules(site.rules);
  out.BreakLine();
  out.Key("agents");
  out.BeginList();
  for (const SnapshotAgent& agent : agents) {
    if (agent.entry == nullptr) {
      problem = "the properties of " + agent.description + " cannot be read";
      return std::nullopt;
    }
    if (!writer.Node(*agent.entry, false)) {
      problem = writer.problem;
      return std::nullopt;
    }
  }
  out.EndList();
  out.EndObject();
  return out.str();
}

}  // namespace sim
