#include "model/object_kind.h"

#include <array>
#include <iterator>

#include "runtime/case_insensitive.h"

namespace {

// In the order of the enumeration's values.
constexpr KindTraits kKinds[] = {
    {ObjectKind::Agent, "Agent", "AGENT", true, ObjectKind::Broker, kDefaultPort, nullptr, nullptr,
     nullptr},
    {ObjectKind::DSM, "DSM", "DSM", true, ObjectKind::Target, 0, nullptr, "dsm1", nullptr},
    {ObjectKind::Target, "Target", "TARGET", false, ObjectKind::Target, 0, "public", nullptr,
     nullptr},
    {ObjectKind::Broker, "Broker", "BROKER", true, ObjectKind::DSM, kDefaultPort, nullptr, nullptr,
     "127.0.0.1"},
    {ObjectKind::AutoConfig, "AutoConfig", "AUTOCONFIG", false, ObjectKind::AutoConfig, 0, nullptr,
     nullptr, nullptr},
};

}  // namespace

const KindTraits* TraitsOf(ObjectKind kind) {
  for (const KindTraits& traits : kKinds) {
    if (traits.kind == kind) return &traits;
  }
  return nullptr;
}

// The reserved words of kKinds, in its order, measured once: every new name is tested
// against them.
constexpr auto kReservedWords = [] {
  std::array<std::string_view, std::size(kKinds)> words;
  for (size_t i = 0; i < words.size(); ++i) words[i] = kKinds[i].reservedWord;
  return words;
}();

const KindTraits* KindByReservedWord(std::string_view word) {
  for (size_t i = 0; i < kReservedWords.size(); ++i) {
    if (EqualsIgnoringCase(word, kReservedWords[i])) return &kKinds[i];
  }
  return nullptr;
}

const char* KindName(ObjectKind kind) {
  const KindTraits* traits = TraitsOf(kind);
  return traits != nullptr ? traits->displayName : "UNKNOWN";
}

bool isReservedObjectName(const char* text) {
  if (text == nullptr) return false;
  const std::string_view name(text);
  return EqualsIgnoringCase(name, "ALL") || KindByReservedWord(name) != nullptr;
}
