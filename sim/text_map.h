// Text -> text in key order, for the properties of an entry. All of a map's texts live in one
// block: the positions of the texts, then the texts themselves, each followed by a NUL. An entry
// has a handful of properties and a large installation is mostly such entries, so one small
// block apiece is what loading, walking and releasing them costs least.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

class TextMap {
 public:
  // One property: views of its key and value, each followed by a NUL (usable as C strings). Valid
  // until the map changes.
  struct Item {
    std::string_view first;
    std::string_view second;
  };
  using Texts = std::vector<std::pair<std::string_view, std::string_view>>;

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Item;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Item;

    const_iterator(const TextMap* map, size_t index) : owner(map), position(index) {}
    Item operator*() const { return owner->At(position); }
    const_iterator& operator++() {
      ++position;
      return *this;
    }
    bool operator==(const const_iterator& other) const { return position == other.position; }

   private:
    const TextMap* owner;
    size_t position;
  };

  TextMap() = default;
  TextMap(TextMap&&) noexcept = default;
  TextMap& operator=(TextMap&&) noexcept = default;

  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  size_t size() const { return storage ? storage[0] : 0; }
  bool empty() const { return size() == 0; }
  void swap(TextMap& other) noexcept { storage.swap(other.storage); }
  Item At(size_t index) const;

  // The value of key, if the map has it.
  std::optional<std::string_view> Find(std::string_view key) const;

  // Replaces the whole map with texts, given in any order; of equal keys the one given last
  // stands. The views need to live only for the call; texts is reordered.
  void Assign(Texts& texts);
  // The same for texts already in key order, each key once (checked by the caller).
  void AssignSorted(const Texts& texts);
  // Puts texts in key order, equal keys in the order given.
  static void SortByKey(Texts& texts);

 private:
  // storage[0]: the number of items n; storage[1 .. 2n + 1]: where each text starts, counted in
  // bytes from the first text (key, value, key, value, ..., then the end); the texts follow.
  std::unique_ptr<uint32_t[]> storage;
  const char* TextsStart() const {
    return reinterpret_cast<const char*>(storage.get() + 2 * size() + 2);
  }
};

}  // namespace sim
