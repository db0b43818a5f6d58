// The identity keys of one registered child (model/child_identity.h), packed in one block of
// its own. A child has one to three keys, and a vector of strings took up to four allocations
// and a quarter of an object's size for them; a million children pay that a million times.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IdentityKeySet {
 public:
  IdentityKeySet() = default;
  explicit IdentityKeySet(const std::vector<std::string>& keys);
  // The keys that AppendKey put into packed, in that order.
  explicit IdentityKeySet(std::string_view packed);
  // Appends key to packed as the set holds it.
  static void AppendKey(std::string& packed, std::string_view key);
  // Appends to packed, as the set holds it, the key that write(packed) appends to packed: the key
  // is written in place, without a string of its own.
  template <typename Write>
  static void AppendKeyWrittenBy(std::string& packed, Write write) {
    const size_t at = packed.size();
    uint32_t length = 0;
    packed.append(sizeof length, '\0');
    write(packed);
    length = static_cast<uint32_t>(packed.size() - at - sizeof length);
    std::memcpy(packed.data() + at, &length, sizeof length);
  }

  bool Contains(std::string_view key) const;
  // Calls visit with each key, in the order they were given.
  template <typename Visit>
  void ForEach(Visit visit) const {
    if (!block) return;
    for (const char* at = block.get();;) {
      uint32_t length;
      std::memcpy(&length, at, sizeof length);
      if (length == 0) return;
      at += sizeof length;
      visit(std::string_view(at, length));
      at += length;
    }
  }

 private:
  // Each key as its length (four bytes, in the machine's order) and its bytes, then a length of
  // zero; no key is empty (each starts with its tag). Null when there are no keys.
  std::unique_ptr<char[]> block;
};
