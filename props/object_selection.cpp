#include "props/object_selection.h"

#include "interp/case_insensitive.h"

namespace {

struct ReservedKind {
  const char* name;
  ObjectKind kind;
};
constexpr ReservedKind kReservedKinds[] = {
    {"AGENT", ObjectKind::Agent},   {"DSM", ObjectKind::DSM},
    {"TARGET", ObjectKind::Target}, {"BROKER", ObjectKind::Broker},
    {"AUTOCONFIG", ObjectKind::AutoConfig},
};

}  // namespace

ObjectSelection::ObjectSelection(const std::string& objectName) : name(objectName) {
  object = Registry().Find(objectName);
  if (object != nullptr) return;
  if (equalsIgnoringCase(objectName, "ALL")) {
    reserved = true;
    labelText = "all";
    return;
  }
  for (const ReservedKind& entry : kReservedKinds) {
    if (equalsIgnoringCase(objectName, entry.name)) {
      reserved = true;
      labelText = KindName(entry.kind);
      return;
    }
  }
}

bool ObjectSelection::Includes(const ConfigObject& candidate) const {
  return reserved && SelectedBy(name, candidate);
}
