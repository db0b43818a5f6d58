// Text -> text in key order, for the properties of an entry: one vector of pairs, searched by
// halving. An entry has a handful of properties, so this is one block where a tree would be a
// node, a key and a value apiece, and a large installation is mostly such entries.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

class TextMap {
 public:
  using Item = std::pair<std::string, std::string>;
  using const_iterator = std::vector<Item>::const_iterator;

  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  void swap(TextMap& other) noexcept { items_.swap(other.items_); }
  void reserve(size_t count) { items_.reserve(count); }

  // The value of key, or null. Valid until the map changes.
  const std::string* Find(std::string_view key) const;

  // Building: Append adds in any order; SortByKey then puts the items in key order, keeping of
  // each key the item appended last. Find and the key order hold only after SortByKey.
  void Append(std::string key, std::string value);
  void SortByKey();
  // The items appended since the last SortByKey, for a check before it (e.g. for duplicates).
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Item> items_;
};

}  // namespace sim
