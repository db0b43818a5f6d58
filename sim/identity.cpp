// Identity keys, descriptions and the checks on identity texts.
#include "sim/identity.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace sim {

std::optional<std::array<uint8_t, 4>> ParseDottedDecimal(std::string_view text) {
  // Every target of a site is read through here: one pass, each digit tested once, no loop over
  // the digits of a part (at most three, the first of them not a zero unless it is alone).
  if (text.size() < 7 || text.size() > 15) return std::nullopt;  // "0.0.0.0" .. "255.255.255.255"
  std::array<uint8_t, 4> address{};
  const char* at = text.data();
  const char* const end = at + text.size();
  auto digitAt = [end](const char* where, unsigned& digit) {
    if (where == end) return false;
    digit = static_cast<unsigned>(static_cast<unsigned char>(*where)) - '0';
    return digit <= 9;
  };
  for (int part = 0; part < 4; ++part) {
    unsigned value = 0, digit = 0;
    if (!digitAt(at, value)) return std::nullopt;
    ++at;
    if (digitAt(at, digit)) {
      if (value == 0) return std::nullopt;  // a leading zero
      value = value * 10 + digit;
      ++at;
      if (digitAt(at, digit)) {
        value = value * 10 + digit;
        ++at;
        if (value > 255) return std::nullopt;
      }
    }
    address[part] = static_cast<uint8_t>(value);
    // A fourth digit, or anything else, where a dot or the end belongs, is refused here.
    if (part < 3) {
      if (at == end || *at != '.') return std::nullopt;
      ++at;
    }
  }
  if (at != end) return std::nullopt;
  return address;
}

bool IsDottedDecimal(std::string_view text) { return ParseDottedDecimal(text).has_value(); }

std::optional<uint16_t> ParsePort(std::string_view text) {
  unsigned value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 65535) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(value);
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && LowerAscii(a) == LowerAscii(b);
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto byte = static_cast<unsigned char>(text[i]);
    size_t more = 0;
    uint32_t code = 0;
    if (byte < 0x80) {
      ++i;
      continue;
    } else if ((byte & 0xE0) == 0xC0) {
      more = 1, code = byte & 0x1F;
    } else if ((byte & 0xF0) == 0xE0) {
      more = 2, code = byte & 0x0F;
    } else if ((byte & 0xF8) == 0xF0) {
      more = 3, code = byte & 0x07;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;  // cut short by the end of the text
    for (size_t k = 1; k <= more; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    static const uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (code < kLeast[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += more + 1;
  }
  return true;
}

// Keys hold addresses as their four bytes and ports as two, which keeps them short enough to be
// stored without an allocation of their own. Every child's address is dotted decimal, so an
// address written any other way names no child and gives no key.
static std::string Packed(const std::array<uint8_t, 4>& address) {
  return std::string(reinterpret_cast<const char*>(address.data()), address.size());
}

static std::optional<std::string> PackAddress(std::string_view ipaddr) {
  std::optional<std::array<uint8_t, 4>> address = ParseDottedDecimal(ipaddr);
  if (!address) return std::nullopt;
  return Packed(*address);
}

static std::optional<std::string> AddressKey(std::string_view ipaddr, uint16_t port) {
  std::optional<std::string> key = PackAddress(ipaddr);
  if (key) {
    *key += static_cast<char>(port >> 8);
    *key += static_cast<char>(port & 255);
  }
  return key;
}

std::string TargetKey(const std::array<uint8_t, 4>& address, std::string_view community) {
  std::string key = Packed(address);
  key += community;
  return key;
}

static std::optional<std::string> TargetKey(std::string_view ipaddr, std::string_view community) {
  std::optional<std::array<uint8_t, 4>> address = ParseDottedDecimal(ipaddr);
  if (!address) return std::nullopt;
  return TargetKey(*address, community);
}

std::string IdentityKey(const Entry& entry) {
  switch (entry.kind) {
    case Kind::Agent:
    case Kind::Broker:
      return AddressKey(entry.ipaddr, entry.port).value_or(std::string());
    case Kind::Dsm:
      return LowerAscii(entry.name);
    case Kind::Target:
      return TargetKey(entry.ipaddr, entry.community).value_or(std::string());
    default:
      return std::string();
  }
}

bool HasIdentityKey(const Entry& entry, std::string_view key) {
  // An address that is not dotted decimal gives the empty key (see IdentityKey).
  auto addressIs = [&entry, &key](size_t keySize) {
    std::optional<std::array<uint8_t, 4>> address = ParseDottedDecimal(entry.ipaddr);
    if (!address) return key.empty();
    return key.size() == keySize && std::memcmp(address->data(), key.data(), 4) == 0;
  };
  switch (entry.kind) {
    case Kind::Agent:
    case Kind::Broker:
      return addressIs(6) && (key.empty() || (static_cast<uint8_t>(key[4]) == entry.port >> 8 &&
                                              static_cast<uint8_t>(key[5]) == (entry.port & 255)));
    case Kind::Dsm: {
      const std::string_view name = entry.name;
      return key.size() == name.size() &&
             std::equal(key.begin(), key.end(), name.begin(), [](char k, char c) {
               return k == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
             });
    }
    case Kind::Target:
      return addressIs(4 + entry.community.size()) &&
             (key.empty() || key.substr(4) == entry.community);
    default:
      return key.empty();
  }
}

std::optional<std::string> RecordKey(Kind child, const ChildDefinitionData& record) {
  const char* ipaddr = record.getv("ipaddr");
  switch (child) {
    case Kind::Agent:
    case Kind::Broker: {
      if (ipaddr == nullptr) return std::nullopt;
      const char* portText = record.getv("port");
      std::optional<uint16_t> port = portText == nullptr ? uint16_t{5465} : ParsePort(portText);
      if (!port) return std::nullopt;
      return AddressKey(ipaddr, *port);
    }
    case Kind::Dsm: {
      const char* name = record.getv("name");
      if (name == nullptr) return std::nullopt;
      return LowerAscii(name);
    }
    case Kind::Target: {
      if (ipaddr == nullptr) return std::nullopt;
      const char* community = record.getv("community");
      return TargetKey(ipaddr, community == nullptr ? "public" : community);
    }
    default:
      return std::nullopt;
  }
}

ChildDefinitionData DefinitionRecord(const Entry& entry) {
  // Set in key order, so that each entry is appended to the record.
  ChildDefinitionData record;
  switch (entry.kind) {
    case Kind::Root:
      record.setv("filename", "nul");
      break;
    case Kind::Agent:
    case Kind::Broker:
      record.setv("ipaddr", entry.ipaddr.c_str());
      record.setv("port", entry.port);
      break;
    case Kind::AutoConfig:
      record.setv("kind", "autoconfig");
      break;
    case Kind::Dsm:
      record.setv("name", entry.name.c_str());
      break;
    case Kind::Target:
      record.setv("community", entry.community.c_str());
      record.setv("ipaddr", entry.ipaddr.c_str());
      break;
  }
  // Lets ChangeChildPassword on the root tell a broker from an agent with the same address.
  char id[24];
  *std::to_chars(id, id + sizeof id - 1, entry.id).ptr = '\0';
  record.setv("sim_id", id);
  return record;
}

void AppendDescription(std::string& out, const Entry& entry) {
  // Appended piece by piece, the room made at once: a fingerprint describes every child of a
  // node, a hundred thousand targets for a large DSM, all into one buffer.
  const std::string_view type = TypeName(entry.kind);
  auto join = [&out, &type](std::string_view a, char separator, std::string_view b) {
    out.reserve(out.size() + type.size() + a.size() + b.size() + 2);
    out.append(type).append(1, ' ').append(a).append(1, separator).append(b);
  };
  switch (entry.kind) {
    case Kind::Root:
      break;
    case Kind::Agent:
    case Kind::Broker:
      return join(entry.ipaddr, ':', std::to_string(entry.port));
    case Kind::AutoConfig:
      if (entry.parent != nullptr) {
        return join(entry.parent->ipaddr, ':', std::to_string(entry.parent->port));
      }
      break;
    case Kind::Dsm:
      out.append(type).append(1, ' ').append(entry.name);
      return;
    case Kind::Target:
      return join(entry.ipaddr, '@', entry.community);
  }
  out.append(type);
}

std::string Describe(const Entry& entry) {
  std::string text;
  AppendDescription(text, entry);
  return text;
}

std::string DescribeRecord(Kind kind, const ChildDefinitionData& record) {
  auto field = [&record](const char* key) {
    const char* value = record.getv(key);
    return std::string(value != nullptr ? value : "");
  };
  std::string text = TypeName(kind);
  switch (kind) {
    case Kind::Root:
    case Kind::AutoConfig:
      break;
    case Kind::Agent:
    case Kind::Broker:
      text += " " + field("ipaddr") + ":" + field("port");
      break;
    case Kind::Dsm:
      text += " " + field("name");
      break;
    case Kind::Target:
      text += " " + field("ipaddr") + "@" + field("community");
      break;
  }
  return text;
}

}  // namespace sim
