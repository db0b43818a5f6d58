// OBJECTS: prints every registered object as a tree, each with what identifies it.
#include <string>
#include <vector>

#include "model/child_identity.h"
#include "model/workspace.h"
#include "runtime/command_context.h"
#include "runtime/listing_output.h"

namespace {

const char* TextOrEmpty(const char* text) { return text == nullptr ? "" : text; }

// The row of one object: name, kind and the identifying part of its record.
ObjectTreeEntry TreeRow(size_t depth, const ConfigObject& object) {
  ObjectTreeEntry entry;
  entry.depth = depth;
  entry.name = object.name();
  entry.kind = KindName(object.kind());
  switch (object.kind()) {
    // DSMs and targets, nearly every row, read their fields in place; the others take the
    // record with every default (a broker's version among them).
    case ObjectKind::DSM:
      entry.dsmName = TextOrEmpty(IdentityFieldsOf(object, kNameField).name);
      break;
    case ObjectKind::Target: {
      const IdentityFields fields = IdentityFieldsOf(object, kAddressField | kCommunityField);
      entry.address = TextOrEmpty(fields.address);
      entry.community = TextOrEmpty(fields.community);
      break;
    }
    case ObjectKind::Agent:
    case ObjectKind::Broker: {
      const ChildDefinitionData record = object.GetDefinitionWithDefaults();
      entry.address = TextOrEmpty(record.getv("ipaddr"));
      entry.port = TextOrEmpty(record.getv("port"));
      if (object.kind() == ObjectKind::Broker) {
        entry.version.emplace();
        if (record.exists("version")) *entry.version = record.getv("version");
      }
      break;
    }
    case ObjectKind::AutoConfig:  // shows no more
      break;
  }
  return entry;
}

// The registry depth first, children of each level in key order, one row at a time; an
// explicit stack keeps a long chain of objects off the call stack. Each frame walks the
// children of one parent name.
class ObjectTreeRows : public RowSource {
 public:
  explicit ObjectTreeRows(const ObjectRegistry& registry) : registry(registry) {
    const ObjectRegistry::Children& top = registry.ChildrenOf("");
    levels.push_back({top.begin(), top.end()});
  }

  std::optional<ListingRow> Next() override {
    while (!levels.empty() && levels.back().next == levels.back().end) levels.pop_back();
    if (levels.empty()) return std::nullopt;
    const ConfigObject& object = *levels.back().next++->second;
    ListingRow row = TreeRow(levels.size() - 1, object);
    const ObjectRegistry::Children& children = registry.ChildrenOf(object.name());
    if (!children.empty()) levels.push_back({children.begin(), children.end()});
    return row;
  }

 private:
  struct Level {
    ObjectRegistry::Children::const_iterator next, end;
  };
  const ObjectRegistry& registry;
  std::vector<Level> levels;
};

}  // namespace

// What HELP prints for this command.
extern const char* const kObjectsHelp[] = {
    "SYNTAX: OBJECTS",
    "",
    "Lists all objects currently known as a tree: each object stands below",
    "its parent with its kind and enough of its definition to identify it,",
    "such as address and port, DSM name or community. A broker shows its",
    "software version, or [uncontactable] when it could not be reached.",
    nullptr,
};

bool HandleObjects(CommandContext& command) {
  const ObjectRegistry& registry = command.workspace.registry();
  // Written to standard output as it is walked, neither paged nor captured.
  const Listing listing{ListingKind::kObjects, ""};
  if (registry.empty()) {
    PrintEmptyListing(command.console, listing);
    return true;
  }
  ObjectTreeRows rows(registry);
  PrintListing(command.console, listing, rows);
  return true;
}
