// OBJECTS: prints every registered object as a tree, each with what identifies it.
#include <string>
#include <vector>

#include "model/workspace.h"
#include "runtime/command_context.h"
#include "runtime/console.h"

namespace {

const char* ValueOrEmpty(const ChildDefinitionData& record, const char* key) {
  const char* value = record.getv(key);
  return value == nullptr ? "" : value;
}

// The line of one object: marker, name, kind and the identifying part of its record. Made whole
// and written once: formatting its pieces one by one took half of the command's time.
void PrintObjectLine(const std::string& indent, const std::string& name,
                     const ConfigObject& object) {
  std::string line;
  line.append(indent.c_str()).append("`- ").append(name.c_str()).append(" (");
  line.append(KindName(object.kind()));
  const ChildDefinitionData record = object.GetDefinitionWithDefaults();
  switch (object.kind()) {
    case ObjectKind::Agent:
      line.append(" - ").append(ValueOrEmpty(record, "ipaddr")).append(":");
      line.append(ValueOrEmpty(record, "port"));
      break;
    case ObjectKind::DSM:
      line.append(" - ").append(ValueOrEmpty(record, "name"));
      break;
    case ObjectKind::Target:
      line.append(" - ").append(ValueOrEmpty(record, "ipaddr")).append(" @ ");
      line.append(ValueOrEmpty(record, "community"));
      break;
    case ObjectKind::Broker:
      line.append(" - ").append(ValueOrEmpty(record, "ipaddr")).append(":");
      line.append(ValueOrEmpty(record, "port"));
      if (record.exists("version")) {
        line.append(" [v").append(record.getv("version")).append("]");
      } else {
        line.append(" [uncontactable]");
      }
      break;
    case ObjectKind::AutoConfig:
      break;
  }
  line.append(")\n");
  ConsoleWrite(line);
}

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
  if (registry.empty()) {
    ConsolePrint("There are no objects currently active.\n");
    return true;
  }
  ConsolePrint("Orbitane\n");

  // Depth first, children of each level in key order; an explicit stack keeps a long chain of
  // objects off the call stack. Each frame walks the children of one parent name.
  struct Level {
    ObjectRegistry::Children::const_iterator next, end;
    std::string indent;
  };
  const ObjectRegistry::Children& top = registry.ChildrenOf("");
  std::vector<Level> levels{{top.begin(), top.end(), ""}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.end) {
      levels.pop_back();
      continue;
    }
    const ConfigObject& object = *level.next++->second;
    PrintObjectLine(level.indent, object.name(), object);
    const ObjectRegistry::Children& children = registry.ChildrenOf(object.name());
    if (!children.empty()) {
      std::string indent = level.indent + "   ";
      levels.push_back({children.begin(), children.end(), std::move(indent)});
    }
  }
  return true;
}
