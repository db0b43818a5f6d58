// The site file writer.
#include "sim/site_writer.h"

#include "sim/json_text.h"

namespace sim {
namespace {

const char* ChildListKey(Kind kind) {
  switch (kind) {
    case Kind::Agent:
      return "brokers";
    case Kind::Broker:
      return "dsms";
    case Kind::Dsm:
      return "targets";
    default:
      return nullptr;
  }
}

void WriteNode(JsonText& out, const Entry& entry) {
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
  if (!details.password.empty()) out.Key("password"), out.Text(details.password);
  if (!entry.alive) out.Key("alive"), out.Boolean(false);
  if (entry.local) out.Key("local"), out.Boolean(true);
  if (details.version) out.Key("version"), out.Text(*details.version);

  out.Key("properties");
  out.BeginObject();
  for (const auto& [name, value] : entry.properties) out.Key(name), out.Text(value);
  out.EndObject();

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
  if (details.autoconfig) out.Key("autoconfig"), WriteNode(out, *details.autoconfig);
  if (const char* key = ChildListKey(entry.kind)) {
    out.Key(key);
    out.BeginList();
    for (const auto& child : entry.children.InOrder()) {
      if (child != nullptr) WriteNode(out, *child);
    }
    out.EndList();
  }
  out.EndObject();
}

}  // namespace

std::string WriteSite(const Site& site) {
  JsonText out;
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
  if (!site.rules.empty()) {
    out.Key("rules");
    out.BeginList();
    for (const Rule& rule : site.rules) {
      out.BeginObject();
      out.Key("number"), out.Number(rule.number);
      out.Key("description"), out.Text(rule.description);
      out.EndObject();
    }
    out.EndList();
  }
  out.Key("agents");
  out.BeginList();
  for (const auto& agent : site.root->children.InOrder()) {
    if (agent != nullptr) WriteNode(out, *agent);
  }
  out.EndList();
  out.EndObject();
  return out.str();
}

}  // namespace sim
