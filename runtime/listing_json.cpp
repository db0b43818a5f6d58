#include "runtime/listing_json.h"

#include <vector>

#include <nlohmann/json.hpp>


namespace {

using Json = nlohmann::ordered_json;

// The listing's name in the documents, and where its rows go: log and help are lines of text,
// OBJECTS a tree, the others rows.
struct ListingNames {
  const char* name;
  const char* rowsKey;
};

ListingNames NamesOf(ListingKind kind) {
  switch (kind) {
    case ListingKind::kBrokers:
      return {"brokers", "rows"};
    case ListingKind::kDsms:
      return {"dsms", "rows"};
    case ListingKind::kTargets:
      return {"targets", "rows"};
    case ListingKind::kProperties:
    case ListingKind::kProperty:
    case ListingKind::kPropertySelection:
      return {"properties", "rows"};
    case ListingKind::kRules:
    case ListingKind::kRule:
    case ListingKind::kRuleSelection:
      return {"rules", "rows"};
    case ListingKind::kLog:
      return {"log", "lines"};
    case ListingKind::kHistory:
      return {"history", "rows"};
    case ListingKind::kObjects:
      return {"objects", "tree"};
    case ListingKind::kHelp:
      return {"help", "lines"};
  }
  return {"unknown", "rows"};
}

std::string Dump(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json NameOrNull(const std::string& registeredName) {
  return registeredName.empty() ? Json() : Json(registeredName);
}

Json ObjectNode(const ObjectTreeEntry& entry) {
  Json node{{"name", entry.name}, {"kind", entry.kind}};
  if (entry.address) node["address"] = *entry.address;
  if (entry.port) node["port"] = *entry.port;
  if (entry.dsmName) node["dsmName"] = *entry.dsmName;
  if (entry.community) node["community"] = *entry.community;
  if (entry.version) node["version"] = *entry.version ? Json(**entry.version) : Json();
  node["children"] = Json::array();
  return node;
}

class JsonRenderer : public ListingRenderer {
 public:
  // The document is written as the rows come, so that a long listing is held as text only; the
  // tree of OBJECTS, whose nodes are closed only by the nodes after them, is built whole.
  void Begin(const Listing& listing) override {
    kind = listing.kind;
    const ListingNames names = NamesOf(kind);
    Json head{{"type", "listing"}, {"listing", names.name}};
    if (!listing.object.empty())
      head[kind == ListingKind::kHelp ? "topic" : "object"] = listing.object;
    text = Dump(head);
    text.pop_back();  // its closing brace: the rows come first
    text.append(",\"").append(names.rowsKey).append("\":");
    if (kind != ListingKind::kObjects) text += '[';
    rows = 0;
    tree = Json::array();
    openNodes.clear();
  }

  void Row(const ListingRow& row) override {
    if (const auto* entry = std::get_if<ObjectTreeEntry>(&row)) return AddNode(*entry);
    if (rows++ > 0) text += ',';
    text += Dump(std::visit(*this, row));
  }

  std::string End() override {
    if (kind == ListingKind::kObjects) {
      CloseNodes(0);
      text += Dump(tree);
      tree = Json();
    } else {
      text += ']';
    }
    text += "}\n";
    return std::move(text);
  }

  Json operator()(const BrokerEntry& entry) const {
    return {{"name", NameOrNull(entry.registeredName)},
            {"address", entry.address},
            {"port", entry.port}};
  }
  Json operator()(const DsmEntry& entry) const {
    return {{"name", NameOrNull(entry.registeredName)}, {"dsmName", entry.name}};
  }
  Json operator()(const TargetEntry& entry) const {
    return {{"name", NameOrNull(entry.registeredName)},
            {"address", entry.address},
            {"community", entry.community}};
  }
  Json operator()(const PropertyEntry& entry) const {
    Json row;
    if (kind == ListingKind::kPropertySelection) row["object"] = entry.object;
    row["name"] = entry.name;
    row["value"] = entry.value;
    row["changed"] = entry.changed;
    return row;
  }
  Json operator()(const RuleEntry& entry) const {
    Json row;
    if (kind == ListingKind::kRuleSelection) row["object"] = entry.object;
    row["rule"] = entry.number;
    row["description"] = entry.description;
    row["own"] = entry.ownValue ? Json(*entry.ownValue) : Json();
    row["inherited"] = entry.inheritedValue;
    row["value"] = entry.value();
    return row;
  }
  Json operator()(const TextLine& line) const { return line.text; }
  Json operator()(const HistoryEntry& entry) const {
    std::string_view line = entry.line;
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    return {{"number", entry.number}, {"line", line}};
  }
  Json operator()(const ObjectTreeEntry& entry) const { return ObjectNode(entry); }

 private:
  // The tree comes in depth-first order: a node is open until one at its depth or above comes.
  void AddNode(const ObjectTreeEntry& entry) {
    CloseNodes(entry.depth);
    openNodes.push_back(ObjectNode(entry));
  }
  void CloseNodes(size_t depth) {
    while (openNodes.size() > depth) {
      Json node = std::move(openNodes.back());
      openNodes.pop_back();
      Json& children = openNodes.empty() ? tree : openNodes.back()["children"];
      children.push_back(std::move(node));
    }
  }

  ListingKind kind = ListingKind::kLog;
  std::string text;  // the document so far
  size_t rows = 0;
  Json tree;
  std::vector<Json> openNodes;  // the path from a root to the node last added
};

}  // namespace

ListingRenderer& JsonListingRenderer() {
  static JsonRenderer& renderer = *new JsonRenderer;
  return renderer;
}
