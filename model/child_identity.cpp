#include "model/child_identity.h"

#include <cctype>

#include "runtime/c_number.h"

namespace {

constexpr char kFieldSeparator = '\0';

// Appends text in lower case.
// Lower case as the C locale has it (the library never sets another), without a call per byte.
void AppendFolded(std::string& key, std::string_view text) {
  const size_t at = key.size();
  key.resize(at + text.size());
  char* out = key.data() + at;
  for (char c : text) *out++ = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A key: its tag and text in lower case, with room for more characters after them.
std::string StartKey(char tag, std::string_view text, size_t more) {
  std::string key;
  key.reserve(1 + text.size() + more);
  key.push_back(tag);
  AppendFolded(key, text);
  return key;
}

bool MissingOrEmpty(const ChildDefinitionData& record, const char* key) {
  const char* value = record.getv(key);
  return value == nullptr || *value == '\0';
}

bool MissingOrZero(const ChildDefinitionData& record, const char* key) {
  const char* value = record.getv(key);
  return value == nullptr || ParseIntLikeAtoi(value) == 0;
}

// Calls fill(key, value) for each identity field that record lacks and the kind of object fills
// in, in this order: the port when missing or zero, the name and the community when missing or
// empty, the address when missing. value lives for the call only.
template <typename Fill>
void ForEachIdentityDefault(const ChildDefinitionData& record, ObjectKind kind, Fill fill) {
  const KindTraits* traits = TraitsOf(kind);
  if (traits == nullptr) return;
  if (traits->defaultPort != 0 && MissingOrZero(record, "port")) {
    fill("port", std::to_string(traits->defaultPort).c_str());
  }
  if (traits->defaultName != nullptr && MissingOrEmpty(record, "name")) {
    fill("name", traits->defaultName);
  }
  if (traits->defaultCommunity != nullptr && MissingOrEmpty(record, "community")) {
    fill("community", traits->defaultCommunity);
  }
  if (traits->defaultAddress != nullptr && !record.exists("ipaddr")) {
    fill("ipaddr", traits->defaultAddress);
  }
}

}  // namespace

std::string BrokerIdentityKey(std::string_view address, uint16_t port) {
  const std::string number = std::to_string(port);
  std::string key = StartKey('B', address, 1 + number.size());
  key.push_back(kFieldSeparator);
  key += number;
  return key;
}

std::string DsmIdentityKey(std::string_view dsmName) { return StartKey('D', dsmName, 0); }

std::string TargetIdentityKey(std::string_view address, std::string_view community) {
  std::string key = StartKey('T', address, 1 + community.size());
  key.push_back(kFieldSeparator);
  AppendFolded(key, community);
  return key;
}

IdentityKeySet IdentityKeys(const ConfigObject& child) {
  if (!child.IsAvailable()) return {};
  // The defaults read beside the node's own record rather than filled into a copy of it (as
  // DefinitionWithIdentityDefaults does): this runs for every object registered.
  const ChildDefinitionData& record = child.node()->GetDefinitionData();
  const char* address = record.getv("ipaddr");
  const char* port = record.getv("port");
  const char* name = record.getv("name");
  const char* community = record.getv("community");
  std::string defaultPort;
  ForEachIdentityDefault(record, child.kind(), [&](std::string_view key, const char* value) {
    if (key == "port") {
      defaultPort = value;
      port = defaultPort.c_str();
    } else if (key == "name") {
      name = value;
    } else if (key == "community") {
      community = value;
    } else {
      address = value;
    }
  });
  std::string packed;
  if (address != nullptr && port != nullptr) {
    IdentityKeySet::AppendKey(
        packed, BrokerIdentityKey(address, static_cast<uint16_t>(ParseIntLikeAtoi(port))));
  }
  if (name != nullptr) IdentityKeySet::AppendKey(packed, DsmIdentityKey(name));
  if (address != nullptr && community != nullptr) {
    IdentityKeySet::AppendKey(packed, TargetIdentityKey(address, community));
  }
  return IdentityKeySet(packed);
}

ChildDefinitionData DefinitionWithIdentityDefaults(const ConfigObject& object) {
  ChildDefinitionData record;
  if (!object.IsAvailable()) return record;
  record = object.node()->GetDefinitionData();
  ForEachIdentityDefault(record, object.kind(),
                         [&](const char* key, const char* value) { record.setv(key, value); });
  return record;
}
