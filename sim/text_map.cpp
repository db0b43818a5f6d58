#include "sim/text_map.h"

#include <algorithm>

namespace sim {
namespace {

constexpr size_t kSortedByInsertion = 16;

}  // namespace

const std::string* TextMap::Find(std::string_view key) const {
  auto at = std::lower_bound(items_.begin(), items_.end(), key,
                             [](const Item& item, std::string_view wanted) {
                               return std::string_view(item.first) < wanted;
                             });
  return at != items_.end() && at->first == key ? &at->second : nullptr;
}

void TextMap::Append(std::string key, std::string value) {
  items_.emplace_back(std::move(key), std::move(value));
}

void TextMap::SortByKey() {
  auto byKey = [](const Item& a, const Item& b) { return a.first < b.first; };
  auto sameKey = [](const Item& a, const Item& b) { return a.first == b.first; };
  // Items that come in order (a file this program wrote, a set read from a map) cost one pass.
  if (std::adjacent_find(items_.begin(), items_.end(), [&](const Item& a, const Item& b) {
        return !byKey(a, b);
      }) == items_.end()) {
    return;
  }
  if (items_.size() <= kSortedByInsertion) {
    // A handful of items (nearly every entry): insertion keeps equal keys in order and needs no
    // buffer, where stable_sort would allocate one.
    for (auto next = items_.begin() + 1; next != items_.end(); ++next) {
      for (auto at = next; at != items_.begin() && byKey(*at, *(at - 1)); --at) {
        std::iter_swap(at, at - 1);
      }
    }
  } else {
    std::stable_sort(items_.begin(), items_.end(), byKey);
  }
  // Of equal keys, the last appended stands: move it to the front of its run, then drop the rest.
  for (auto run = items_.begin(); run != items_.end();) {
    auto next = std::find_if(run, items_.end(), [&](const Item& item) { return !sameKey(*run, item); });
    if (next - run > 1) std::swap(*run, *(next - 1));
    run = next;
  }
  items_.erase(std::unique(items_.begin(), items_.end(), sameKey), items_.end());
}

}  // namespace sim
