#include "model/object_kind.h"

#include "runtime/case_insensitive.h"

namespace {

// In the order of the enumeration's values.
constexpr KindTraits kKinds[] = {
    {ObjectKind::Agent, "Agent", "AGENT", ObjectKind::Broker, "BROKER List for \"%s\":",
     "Object \"%s\" has no BROKERS.\n", kDefaultPort, nullptr, nullptr, nullptr},
    {ObjectKind::DSM, "DSM", "DSM", ObjectKind::Target,
     "TARGET List for \"%s\":", "Object \"%s\" has no TARGETS.\n", 0, nullptr, "dsm1", nullptr},
    {ObjectKind::Target, "Target", "TARGET", ObjectKind::Target, nullptr, nullptr, 0, "public",
     nullptr, nullptr},
    {ObjectKind::Broker, "Broker", "BROKER", ObjectKind::DSM, "DSM List for \"%s\":",
     "Object \"%s\" has no DSMS.\n", kDefaultPort, nullptr, nullptr, "127.0.0.1"},
    {ObjectKind::AutoConfig, "AutoConfig", "AUTOCONFIG", ObjectKind::AutoConfig, nullptr, nullptr,
     0, nullptr, nullptr, nullptr},
};

}  // namespace

const KindTraits* TraitsOf(ObjectKind kind) {
  for (const KindTraits& traits : kKinds) {
    if (traits.kind == kind) return &traits;
  }
  return nullptr;
}

const KindTraits* KindByReservedWord(std::string_view word) {
  for (const KindTraits& traits : kKinds) {
    if (EqualsIgnoringCase(word, traits.reservedWord)) return &traits;
  }
  return nullptr;
}

const char* KindName(ObjectKind kind) {
  const KindTraits* traits = TraitsOf(kind);
  return traits != nullptr ? traits->displayName : "UNKNOWN";
}

bool isReservedObjectName(const char* text) {
  if (text == nullptr) return false;
  return EqualsIgnoringCase(text, "ALL") || KindByReservedWord(text) != nullptr;
}
