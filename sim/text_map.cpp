#include "sim/text_map.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace sim {
namespace {

constexpr size_t kSortedByInsertion = 16;

}  // namespace

TextMap::Item TextMap::At(size_t index) const {
  const uint32_t* starts = storage.get() + 1 + 2 * index;
  const char* texts = TextsStart();
  // Each text ends one byte (its NUL) before the next one starts.
  return Item{std::string_view(texts + starts[0], starts[1] - starts[0] - 1),
              std::string_view(texts + starts[1], starts[2] - starts[1] - 1)};
}

std::optional<std::string_view> TextMap::Find(std::string_view key) const {
  size_t low = 0, high = size();
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    const Item item = At(middle);
    if (item.first < key) {
      low = middle + 1;
    } else if (key < item.first) {
      high = middle;
    } else {
      return item.second;
    }
  }
  return std::nullopt;
}

void TextMap::SortByKey(Texts& texts) {
  auto byKey = [](const auto& a, const auto& b) { return a.first < b.first; };
  if (texts.size() <= kSortedByInsertion) {
    // A handful of items (nearly every entry): insertion keeps equal keys in order and needs no
    // buffer, where stable_sort would allocate one.
    for (size_t next = 1; next < texts.size(); ++next) {
      for (size_t at = next; at > 0 && byKey(texts[at], texts[at - 1]); --at) {
        std::swap(texts[at], texts[at - 1]);
      }
    }
  } else {
    std::stable_sort(texts.begin(), texts.end(), byKey);
  }
}

void TextMap::Assign(Texts& texts) {
  SortByKey(texts);
  // Of equal keys, the last given stands: keep the last of each run.
  size_t kept = 0;
  for (size_t at = 0; at < texts.size(); ++at) {
    if (at + 1 < texts.size() && texts[at + 1].first == texts[at].first) continue;
    texts[kept++] = texts[at];
  }
  texts.resize(kept);
  AssignSorted(texts);
}

void TextMap::AssignSorted(const Texts& texts) {
  if (texts.empty()) {
    storage.reset();
    return;
  }
  size_t bytes = 0;
  for (const auto& [key, value] : texts) bytes += key.size() + value.size() + 2;
  const size_t count = texts.size();
  if (bytes > UINT32_MAX || count > (UINT32_MAX - 2) / 2) {
    throw std::length_error("properties too large");
  }
  const size_t words = 2 * count + 2 + (bytes + sizeof(uint32_t) - 1) / sizeof(uint32_t);
  std::unique_ptr<uint32_t[]> block(new uint32_t[words]);
  block[0] = static_cast<uint32_t>(count);
  char* const start = reinterpret_cast<char*>(block.get() + 2 * count + 2);
  uint32_t* starts = block.get() + 1;
  char* at = start;
  auto put = [&starts, &at, start](std::string_view text) {
    *starts++ = static_cast<uint32_t>(at - start);
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    at += text.size();
    *at++ = '\0';
  };
  for (const auto& [key, value] : texts) {
    put(key);
    put(value);
  }
  *starts = static_cast<uint32_t>(at - start);
  storage = std::move(block);
}

}  // namespace sim
