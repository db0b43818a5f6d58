#include "model/identity_key_set.h"

IdentityKeySet::IdentityKeySet(const std::vector<std::string>& keys) {
  if (keys.empty()) return;
  size_t size = sizeof(uint32_t);
  for (const std::string& key : keys) size += sizeof(uint32_t) + key.size();
  block = std::make_unique_for_overwrite<char[]>(size);
  char* at = block.get();
  for (const std::string& key : keys) {
    const auto length = static_cast<uint32_t>(key.size());
    std::memcpy(at, &length, sizeof length);
    at += sizeof length;
    std::memcpy(at, key.data(), key.size());
    at += key.size();
  }
  const uint32_t end = 0;
  std::memcpy(at, &end, sizeof end);
}

bool IdentityKeySet::Contains(std::string_view key) const {
  bool found = false;
  ForEach([&](std::string_view held) { found = found || held == key; });
  return found;
}
