// obj.LIST: the configured children of an agent (brokers), a broker (DSMs) or a DSM (targets),
// read live from the installation and printed through the pager.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "children/child_definitions.h"
#include "entry/script_session.h"
#include "interp/pager.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "objects/object_registry.h"
#include "objects/server_session.h"
#include "runtime/c_number.h"
#include "runtime/console.h"

namespace {

// The text of one child's entry from its record, by the kind of the listed object; nothing when
// the record lacks a key that the listing needs.
std::optional<std::string> entryText(ObjectKind kind, const ChildDefinitionData& record) {
  switch (kind) {
    case ObjectKind::Agent:
      if (!record.exists("ipaddr") || !record.exists("port")) return std::nullopt;
      return std::string(" ") + record.getv("ipaddr") + " " + record.getv("port");
    case ObjectKind::Broker:
      if (!record.exists("name")) return std::nullopt;
      return record.getv("name");
    case ObjectKind::DSM:
      if (!record.exists("ipaddr") || !record.exists("community")) return std::nullopt;
      return std::string(record.getv("ipaddr")) + " " + record.getv("community");
    default:
      return std::nullopt;
  }
}

// Walks the children of object's node, in the installation's order. Every node the walker
// hands out is released once its record has been read.
std::vector<std::string> collectEntries(const ConfigObject& object) {
  std::vector<std::string> entries;
  if (object.node == nullptr || CurrentServerSession() == nullptr) return entries;
  std::unique_ptr<TreeWalker> walker(object.node->GetChildWalker());
  if (walker == nullptr) return entries;
  for (walker->First(); !walker->AtEnd(); walker->Next()) {
    std::unique_ptr<TreeNode> child(walker->Current());
    if (child == nullptr) continue;
    std::optional<std::string> text = entryText(object.kind, child->GetDefinitionData());
    if (text) entries.push_back(std::move(*text));
  }
  return entries;
}

struct ListingFormat {
  const char* header;
  const char* none;
};

PagerAnswer printEntry(ScriptSession& session, const ScriptOptions& options, int lineNumber,
                       ObjectKind kind, const std::string& entry) {
  switch (kind) {
    case ObjectKind::Agent: {
      auto port = static_cast<uint16_t>(parseIntLikeAtoi(getToken(2, entry)));
      if (port == 0) port = kDefaultPort;
      return pagedPrint(session, options, lineNumber, "HOST: %-20s  PORT: %-5d",
                        getToken(1, entry).c_str(), static_cast<int>(port));
    }
    case ObjectKind::Broker:
      return pagedPrint(session, options, lineNumber, "NAME: %s", entry.c_str());
    default:
      return pagedPrint(session, options, lineNumber, "HOST: %-20s  COMMUNITY: %s",
                        getToken(1, entry).c_str(), getToken(2, entry).c_str());
  }
}

}  // namespace

bool ScriptSession::HandleObjectList(int lineNumber, const std::string&, ScriptOptions& options,
                                     std::string objectName) {
  const ConfigObject* object = RegisteredObjectOrRefuse(lineNumber, objectName, "LIST");
  if (object == nullptr) return false;
  ListingFormat format;
  switch (object->kind) {
    case ObjectKind::Agent:
      format = {"BROKER List for \"%s\":", "Object \"%s\" has no BROKERS.\n"};
      break;
    case ObjectKind::Broker:
      format = {"DSM List for \"%s\":", "Object \"%s\" has no DSMS.\n"};
      break;
    case ObjectKind::DSM:
      format = {"TARGET List for \"%s\":", "Object \"%s\" has no TARGETS.\n"};
      break;
    default:
      return Fail(ResultCode::kNotApplicable, lineNumber,
                  "Cannot execute LIST on %s object \"%s\".\n", KindName(object->kind),
                  objectName.c_str());
  }

  const std::vector<std::string> entries = collectEntries(*object);
  if (entries.empty()) {
    // Not a listing, so not paged and not captured.
    consolePrint(format.none, object->name.c_str());
    return true;
  }

  ListingPager pager(options);
  for (pager.Start();;) {
    PagerAnswer answer;
    if (pager.atHeader()) {
      answer = pagedPrint(*this, options, pager.lineNumber(), format.header,
                          object->name.c_str());
    } else if (pager.item() < entries.size()) {
      answer = printEntry(*this, options, pager.lineNumber(), object->kind,
                          entries[pager.item()]);
    } else {
      break;
    }
    if (!pager.Follow(answer)) break;
  }
  return true;
}
