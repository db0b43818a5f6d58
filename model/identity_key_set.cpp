#include "model/identity_key_set.h"

IdentityKeySet::IdentityKeySet(const std::vector<std::string>& keys) {
  std::string packed;
  for (const std::string& key : keys) AppendKey(packed, key);
  *this = IdentityKeySet(packed);
}

IdentityKeySet::IdentityKeySet(std::string_view packed) {
  if (packed.empty()) return;
  const uint32_t end = 0;
  block = std::make_unique_for_overwrite<char[]>(packed.size() + sizeof end);
  std::memcpy(block.get(), packed.data(), packed.size());
  std::memcpy(block.get() + packed.size(), &end, sizeof end);
}

void IdentityKeySet::AppendKey(std::string& packed, std::string_view key) {
  const auto length = static_cast<uint32_t>(key.size());
  packed.append(reinterpret_cast<const char*>(&length), sizeof length).append(key);
}

bool IdentityKeySet::Contains(std::string_view key) const {
  bool found = false;
  ForEach([&](std::string_view held) { found = found || held == key; });
  return found;
}
