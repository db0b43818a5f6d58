// obj.LIST: the configured children of an agent (brokers), a broker (DSMs) or a DSM (targets),
// read live from the installation and printed through the pager.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/child_identity.h"
#include "model/object_name_checks.h"
#include "model/workspace.h"
#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/listing_output.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// The registered object that stands for a child, found by the child's identity among the
// object's registered children; empty when none does.
std::string RegisteredName(const ConfigObject& object, const std::string& identityKey) {
  const ConfigObject* child =
      object.workspace().registry().ChildWithIdentity(object, identityKey);
  return child == nullptr ? std::string() : child->name();
}

// The listing row of one child from its record, by the child's kind; nothing when the record
// lacks a key that the row needs. Host and port (or community) are the first two words of
// the record's values, as they are entered.
std::optional<ListingRow> EntryRow(const ConfigObject& object, ObjectKind childKind,
                                   const ChildDefinitionData& record) {
  switch (childKind) {
    case ObjectKind::Broker: {
      if (!record.exists("ipaddr") || !record.exists("port")) return std::nullopt;
      const std::string entry =
          std::string(" ") + record.getv("ipaddr") + " " + record.getv("port");
      auto port = static_cast<uint16_t>(ParseIntLikeAtoi(getToken(2, entry)));
      if (port == 0) port = kDefaultPort;
      std::string address = getToken(1, entry);
      std::string name = RegisteredName(object, BrokerIdentityKey(address, port));
      return BrokerEntry{std::move(name), std::move(address), port};
    }
    case ObjectKind::DSM: {
      if (!record.exists("name")) return std::nullopt;
      std::string dsmName = record.getv("name");
      return DsmEntry{RegisteredName(object, DsmIdentityKey(dsmName)), std::move(dsmName)};
    }
    case ObjectKind::Target: {
      if (!record.exists("ipaddr") || !record.exists("community")) return std::nullopt;
      const std::string entry = std::string(record.getv("ipaddr")) + " " + record.getv("community");
      std::string address = getToken(1, entry);
      std::string community = getToken(2, entry);
      std::string name = RegisteredName(object, TargetIdentityKey(address, community));
      return TargetEntry{std::move(name), std::move(address), std::move(community)};
    }
    default:
      return std::nullopt;
  }
}

// Walks the children of object's node, in the installation's order. Every node the walker
// hands out is released once its record has been read.
std::vector<ListingRow> CollectEntryRows(const ConfigObject& object, ObjectKind childKind) {
  std::vector<ListingRow> entries;
  if (!object.IsAvailable()) return entries;
  std::unique_ptr<TreeWalker> walker(object.node()->GetChildWalker());
  if (walker == nullptr) return entries;
  for (walker->First(); !walker->AtEnd(); walker->Next()) {
    std::unique_ptr<TreeNode> child(walker->Current());
    if (child == nullptr) continue;
    std::optional<ListingRow> row = EntryRow(object, childKind, child->GetDefinitionData());
    if (row) entries.push_back(std::move(*row));
  }
  return entries;
}

// The listing of an object's children, by the kind of the children.
ListingKind ChildListingKind(ObjectKind childKind) {
  switch (childKind) {
    case ObjectKind::Broker:
      return ListingKind::kBrokers;
    case ObjectKind::DSM:
      return ListingKind::kDsms;
    default:
      return ListingKind::kTargets;
  }
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
  if (traits == nullptr || !traits->hasConfiguredChildren) {
    return command.Fail(ResultCode::kNotApplicable, "Cannot execute LIST on %s object \"%s\".\n",
                        KindName(object->kind()), command.objectName.c_str());
  }

  const Listing listing{ChildListingKind(traits->childKind), object->name()};
  RowList entries(CollectEntryRows(*object, traits->childKind));
  if (entries.empty()) {
    // Not a listing, so not paged and not captured.
    PrintEmptyListing(command.console, listing);
    return true;
  }
  PageListing(command, listing, entries);
  return true;
}
