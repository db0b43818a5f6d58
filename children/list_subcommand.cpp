// obj.LIST: the configured children of an agent (brokers), a broker (DSMs) or a DSM (targets),
// read live from the installation and printed through the pager.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/object_name_checks.h"
#include "model/workspace.h"
#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/formatted.h"
#include "runtime/pager.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// The listing line of one child from its record, by the child's kind; nothing when the record
// lacks a key that the line needs. Host and port (or community) are the first two words of
// the record's values, as they are entered.
std::optional<std::string> EntryLine(ObjectKind childKind, const ChildDefinitionData& record) {
  switch (childKind) {
    case ObjectKind::Broker: {
      if (!record.exists("ipaddr") || !record.exists("port")) return std::nullopt;
      const std::string entry =
          std::string(" ") + record.getv("ipaddr") + " " + record.getv("port");
      auto port = static_cast<uint16_t>(ParseIntLikeAtoi(getToken(2, entry)));
      if (port == 0) port = kDefaultPort;
      return Formatted("HOST: %-20s  PORT: %-5d", getToken(1, entry).c_str(),
                       static_cast<int>(port));
    }
    case ObjectKind::DSM:
      if (!record.exists("name")) return std::nullopt;
      return Formatted("NAME: %s", record.getv("name"));
    case ObjectKind::Target: {
      if (!record.exists("ipaddr") || !record.exists("community")) return std::nullopt;
      const std::string entry = std::string(record.getv("ipaddr")) + " " + record.getv("community");
      return Formatted("HOST: %-20s  COMMUNITY: %s", getToken(1, entry).c_str(),
                       getToken(2, entry).c_str());
    }
    default:
      return std::nullopt;
  }
}

// Walks the children of object's node, in the installation's order. Every node the walker
// hands out is released once its record has been read.
std::vector<std::string> CollectEntryLines(const ConfigObject& object, ObjectKind childKind) {
  std::vector<std::string> entries;
  if (!object.IsAvailable()) return entries;
  std::unique_ptr<TreeWalker> walker(object.node()->GetChildWalker());
  if (walker == nullptr) return entries;
  for (walker->First(); !walker->AtEnd(); walker->Next()) {
    std::unique_ptr<TreeNode> child(walker->Current());
    if (child == nullptr) continue;
    std::optional<std::string> line = EntryLine(childKind, child->GetDefinitionData());
    if (line) entries.push_back(std::move(*line));
  }
  return entries;
}

}  // namespace

// What HELP prints for this command.
extern const char* const kListHelp[] = {
    "SYNTAX: obj.LIST",
    "",
    "Lists the children in the object's configuration file:",
    "",
    "On an AGENT object, the brokers, with host and port.",
    "On a BROKER object, the DSMs, by name.",
    "On a DSM object, the targets, with host and SNMP community.",
    "",
    "LIST cannot be executed on TARGET or AUTOCONFIG objects, nor on a",
    "reserved name such as ALL.",
    "",
    "A long list stops at a --more-- prompt after each page (see SET",
    "LINES). At the prompt:",
    "",
    "    q       stops the list.",
    "    b       goes back a page.",
    "    Enter   goes on with the next page.",
    "",
    "Any other answer also goes on with the next page.",
    nullptr,
};

bool HandleObjectList(CommandContext& command) {
  const ConfigObject* object = command.workspace.registry().Find(command.objectName);
  const KindTraits* traits = TraitsOf(object->kind());
  if (traits == nullptr || traits->listHeader == nullptr) {
    return command.Fail(ResultCode::kNotApplicable, "Cannot execute LIST on %s object \"%s\".\n",
                        KindName(object->kind()), command.objectName.c_str());
  }

  const std::vector<std::string> entries = CollectEntryLines(*object, traits->childKind);
  if (entries.empty()) {
    // Not a listing, so not paged and not captured.
    ConsolePrint(traits->noChildrenText, object->name().c_str());
    return true;
  }

  ListingPager pager(command.options);
  for (pager.Start();;) {
    PagerAnswer answer;
    if (pager.atHeader()) {
      answer = pagedPrint(command, pager.lineNumber(), traits->listHeader, object->name().c_str());
    } else if (pager.item() < entries.size()) {
      answer = pagedPrint(command, pager.lineNumber(), "%s", entries[pager.item()].c_str());
    } else {
      break;
    }
    if (!pager.Follow(answer)) break;
  }
  return true;
}
