#include "model/child_identity.h"

#include <cctype>
#include <charconv>

#include "runtime/c_number.h"

namespace {

constexpr char kFieldSeparator = '\0';

// Appends text in lower case.
// Lower case as the C locale has it (the library never sets another), without a call per byte.
// Copied as it is, then folded where it lies: growing the text by a copy costs less than
// growing it by filler to be overwritten.
void AppendFolded(std::string& key, std::string_view text) {
  key.append(text);
  // Bounds held apart from key: a store through a char may alias it, and would make the loop
  // read its size again at every byte.
  char* const end = key.data() + key.size();
  for (char* c = end - text.size(); c != end; ++c) {
    if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
  }
}

// Appends a key's tag and first text (in lower case) to key.
void AppendStart(std::string& key, char tag, std::string_view text) {
  key.push_back(tag);
  AppendFolded(key, text);
}

void AppendBrokerKey(std::string& key, std::string_view address, uint16_t port) {
  char number[8];
  const auto written = std::to_chars(number, number + sizeof number, port);
  AppendStart(key, 'B', address);
  key.push_back(kFieldSeparator);
  key.append(number, written.ptr);
}

void AppendDsmKey(std::string& key, std::string_view dsmName) { AppendStart(key, 'D', dsmName); }

void AppendTargetKey(std::string& key, std::string_view address, std::string_view community) {
  AppendStart(key, 'T', address);
  key.push_back(kFieldSeparator);
  AppendFolded(key, community);
}

// Calls fill(key, value) for each identity field that a record lacks and the kind of object
// fills in, in this order: the port when missing or zero, the name and the community when
// missing or empty, the address when missing. field(key) gives the record's value of key (null
// when missing), and is asked only about the fields the kind fills in. value lives for the call
// only. Every field is looked at before the first call, so that fill may change the record.
template <typename Field, typename Fill>
void ForEachIdentityDefault(ObjectKind kind, Field field, Fill fill) {
  const KindTraits* traits = TraitsOf(kind);
  if (traits == nullptr) return;
  const auto missingOrEmpty = [](const char* value) { return value == nullptr || *value == '\0'; };
  const auto missingOrZero = [](const char* value) {
    return value == nullptr || ParseIntLikeAtoi(value) == 0;
  };
  const bool port = traits->defaultPort != 0 && missingOrZero(field("port"));
  const bool name = traits->defaultName != nullptr && missingOrEmpty(field("name"));
  const bool community = traits->defaultCommunity != nullptr && missingOrEmpty(field("community"));
  const bool address = traits->defaultAddress != nullptr && field("ipaddr") == nullptr;
  if (port) fill("port", std::to_string(traits->defaultPort).c_str());
  if (name) fill("name", traits->defaultName);
  if (community) fill("community", traits->defaultCommunity);
  if (address) fill("ipaddr", traits->defaultAddress);
}

}  // namespace

std::string BrokerIdentityKey(std::string_view address, uint16_t port) {
  std::string key;
  key.reserve(7 + address.size());  // the tag, the separator and five digits
  AppendBrokerKey(key, address, port);
  return key;
}

std::string DsmIdentityKey(std::string_view dsmName) {
  std::string key;
  AppendDsmKey(key, dsmName);
  return key;
}

std::string TargetIdentityKey(std::string_view address, std::string_view community) {
  std::string key;
  key.reserve(2 + address.size() + community.size());
  AppendTargetKey(key, address, community);
  return key;
}

IdentityFields IdentityFieldsOf(const ConfigObject& child, unsigned wanted) {
  IdentityFields fields;
  if (!child.IsAvailable()) return fields;
  const ChildDefinitionData& record = child.node()->GetDefinitionData();
  const auto read = [&](IdentityField field, const char* key) {
    return (wanted & field) != 0 ? record.getv(key) : nullptr;
  };
  fields.address = read(kAddressField, "ipaddr");
  fields.port = read(kPortField, "port");
  fields.name = read(kNameField, "name");
  fields.community = read(kCommunityField, "community");
  const auto field = [&](std::string_view key) {
    return key == "port"        ? fields.port
           : key == "name"      ? fields.name
           : key == "community" ? fields.community
                                : fields.address;
  };
  ForEachIdentityDefault(child.kind(), field, [&](std::string_view key, const char* value) {
    if (key == "port") {
      fields.port = nullptr;
      fields.filledPort = static_cast<uint16_t>(ParseIntLikeAtoi(value));
    } else if (key == "name") {
      fields.name = value;
    } else if (key == "community") {
      fields.community = value;
    } else {
      fields.address = value;
    }
  });
  return fields;
}

IdentityKeySet IdentityKeys(const ConfigObject& child) {
  // The keys written straight into the set's text: this runs for every object registered.
  const IdentityFields fields = IdentityFieldsOf(child);
  std::string packed;
  packed.reserve(64);
  if (fields.address != nullptr && (fields.port != nullptr || fields.filledPort != 0)) {
    const auto port = fields.filledPort != 0 ? fields.filledPort
                                             : static_cast<uint16_t>(ParseIntLikeAtoi(fields.port));
    IdentityKeySet::AppendKeyWrittenBy(
        packed, [&](std::string& key) { AppendBrokerKey(key, fields.address, port); });
  }
  if (fields.name != nullptr) {
    IdentityKeySet::AppendKeyWrittenBy(packed,
                                       [&](std::string& key) { AppendDsmKey(key, fields.name); });
  }
  if (fields.address != nullptr && fields.community != nullptr) {
    IdentityKeySet::AppendKeyWrittenBy(
        packed, [&](std::string& key) { AppendTargetKey(key, fields.address, fields.community); });
  }
  return IdentityKeySet(packed);
}

ChildDefinitionData DefinitionWithIdentityDefaults(const ConfigObject& object) {
  ChildDefinitionData record;
  if (!object.IsAvailable()) return record;
  record = object.node()->GetDefinitionData();
  ForEachIdentityDefault(
      object.kind(), [&](const char* key) { return record.getv(key); },
      [&](const char* key, const char* value) { record.setv(key, value); });
  return record;
}
