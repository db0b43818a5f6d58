// The two record types of the vendor interface: child definitions and property sets.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "orbitane/orbitaneapi.h"

namespace {

// Most records get two or three entries of about 60 bytes in all, their heads included: room for
// 63 and the terminator, a block of 64 (one size more would take the allocator's next size).
constexpr size_t kUsualRecordSize = 63;

// A record's entry starts with its key's length (a byte) and its value's length (two bytes, low
// first), so that a search steps over the entries it passes without measuring them; a length too
// large for its bytes is written as all ones and measured when it is needed.
constexpr size_t kEntryHead = 3;
constexpr size_t kLongKey = 0xff;
constexpr size_t kLongValue = 0xffff;

struct RecordEntry {
  const char* key;  // NUL-terminated, as is value
  size_t keyLength;
  const char* value;
  size_t valueLength;
  const char* next;  // the next entry, or the record's end
};

inline RecordEntry ReadEntry(const char* at) {
  const auto* head = reinterpret_cast<const unsigned char*>(at);
  const char* key = at + kEntryHead;
  size_t keyLength = head[0];
  if (keyLength == kLongKey) keyLength = std::strlen(key);
  const char* value = key + keyLength + 1;
  size_t valueLength = head[1] | size_t{head[2]} << 8;
  if (valueLength == kLongValue) valueLength = std::strlen(value);
  return {key, keyLength, value, valueLength, value + valueLength + 1};
}

void WriteHead(char* at, size_t keyLength, size_t valueLength) {
  keyLength = std::min(keyLength, kLongKey);
  valueLength = std::min(valueLength, kLongValue);
  at[0] = static_cast<char>(keyLength);
  at[1] = static_cast<char>(valueLength & 0xff);
  at[2] = static_cast<char>(valueLength >> 8);
}

// Where key is, or would go, in a packed record: the offset of the first entry whose key is not
// less than key, and that entry's value when its key is key.
struct Place {
  size_t at;
  const char* value;  // null when no entry has key
};

// Whether text lies in packed's characters or at its end (the empty text of its terminator):
// a change to packed may move or free it.
bool InText(const std::string& packed, const char* text) {
  const std::less<const char*> before;
  return !before(text, packed.data()) && !before(packed.data() + packed.size(), text);
}

// Inline: getv, which engines call for every field they read, is little more than this.
[[gnu::always_inline]] inline Place FindPlace(const std::string& packed, const char* key) {
  const char* const begin = packed.data();
  const char* const end = begin + packed.size();
  for (const char* at = begin; at < end; at = ReadEntry(at).next) {
    // Keys are a few letters: compared byte by byte, which costs less than a call to strcmp.
    const char* text = at + kEntryHead;
    const char* wanted = key;
    while (*text == *wanted && *wanted != '\0') ++text, ++wanted;
    if (*text == *wanted) return {static_cast<size_t>(at - begin), text + 1};
    if (static_cast<unsigned char>(*text) > static_cast<unsigned char>(*wanted)) {
      return {static_cast<size_t>(at - begin), nullptr};
    }
  }
  return {packed.size(), nullptr};
}

}  // namespace

void ChildDefinitionData::setv(const char* key, const char* value) {
  const char* text = value == nullptr ? "" : value;
  if (InText(packed_, key) || InText(packed_, text)) {
    // A text of this record, which the change would move: copied first.
    const std::string keyCopy(key), textCopy(text);
    setv(keyCopy.c_str(), textCopy.c_str());
    return;
  }
  const Place place = FindPlace(packed_, key);
  const size_t keyLength = std::strlen(key);
  const size_t textLength = std::strlen(text);
  if (place.value != nullptr) {
    const size_t valueAt = static_cast<size_t>(place.value - packed_.data());
    packed_.replace(valueAt, ReadEntry(packed_.data() + place.at).valueLength, text, textLength);
    WriteHead(packed_.data() + place.at, keyLength, textLength);
    return;
  }
  if (packed_.empty()) packed_.reserve(kUsualRecordSize);
  const size_t size = kEntryHead + keyLength + 1 + textLength + 1;
  if (place.at == packed_.size()) {
    // After every key (as records are mostly made, in key order): appended.
    packed_.append(size, '\0');
  } else {
    packed_.insert(place.at, size, '\0');
  }
  char* out = packed_.data() + place.at;
  WriteHead(out, keyLength, textLength);
  std::memcpy(out + kEntryHead, key, keyLength);
  std::memcpy(out + kEntryHead + keyLength + 1, text, textLength);
}

void ChildDefinitionData::setv(const char* key, uint16_t value) {
  setv(key, std::to_string(value).c_str());
}

const char* ChildDefinitionData::getv(const char* key) const {
  return FindPlace(packed_, key).value;
}

bool ChildDefinitionData::exists(const char* key) const { return getv(key) != nullptr; }

std::vector<ChildDefinitionData::Entry> ChildDefinitionData::entries() const {
  std::vector<Entry> result;
  const char* const end = packed_.data() + packed_.size();
  for (const char* at = packed_.data(); at < end;) {
    const RecordEntry entry = ReadEntry(at);
    result.emplace_back(std::string(entry.key, entry.keyLength),
                        std::string(entry.value, entry.valueLength));
    at = entry.next;
  }
  return result;
}

namespace {

// A packed set spills into separate entries past this many: a lookup among the packed ones is a
// walk along the text.
constexpr size_t kMaxPackedEntries = 8;
// A packed entry starts with its name's length, its action and its value's length, so that a walk
// along the set measures no text; a longer name or value, or an action beyond a byte, is kept
// among the separate entries.
constexpr size_t kMaxPackedName = 0xff;
constexpr size_t kMaxPackedValue = 0xffff;
constexpr int kMaxPackedAction = 0xff;
constexpr size_t kPackedHeader = 4;  // name length, action, value length (two bytes)

// One entry of a packed property set, and where it lies in the text.
struct PackedEntry {
  std::string_view name;  // NUL-terminated in the text, as is value
  const char* value;
  action_t action;
  size_t at;   // offset of the entry
  size_t end;  // offset just past it
};

template <typename Visit>
void ForEachPacked(const std::string& packed, Visit visit) {
  const auto* const begin = reinterpret_cast<const unsigned char*>(packed.data());
  for (size_t at = 0; at < packed.size();) {
    const unsigned char* header = begin + at;
    const size_t nameLength = header[0];
    const size_t valueLength = header[2] | size_t{header[3]} << 8;
    const char* name = packed.data() + at + kPackedHeader;
    const size_t end = at + kPackedHeader + nameLength + 1 + valueLength + 1;
    if (!visit(PackedEntry{std::string_view(name, nameLength), name + nameLength + 1,
                           static_cast<action_t>(header[1]), at, end})) {
      return;
    }
    at = end;
  }
}

// The packed entry named name, or where it would go (found false, at the insertion offset).
struct PackedPlace {
  size_t at;
  size_t end;  // past the entry found; at when none was
  bool found;
  const char* value;  // of the entry found, or null
};

PackedPlace FindPacked(const std::string& packed, std::string_view name) {
  PackedPlace place{packed.size(), packed.size(), false, nullptr};
  ForEachPacked(packed, [&](const PackedEntry& entry) {
    const int order = entry.name.compare(name);
    if (order < 0) return true;
    if (order == 0) {
      place = {entry.at, entry.end, true, entry.value};
    } else {
      place = {entry.at, entry.at, false, nullptr};
    }
    return false;
  });
  return place;
}

size_t PackedCount(const std::string& packed) {
  size_t count = 0;
  ForEachPacked(packed, [&](const PackedEntry&) { return ++count, true; });
  return count;
}

template <typename Entries>
auto PlaceOf(Entries& entries, const char* name) {
  return std::lower_bound(entries.begin(), entries.end(), name,
                          [](const auto& entry, const char* wanted) {
                            return std::strcmp(entry.name.c_str(), wanted) < 0;
                          });
}

}  // namespace

NodePropertySet::NodePropertySet(const NodePropertySet& other)
    : packed_(other.packed_),
      many_(other.many_ ? std::make_unique<std::vector<Entry>>(*other.many_) : nullptr) {}

NodePropertySet& NodePropertySet::operator=(const NodePropertySet& other) {
  if (this != &other) *this = NodePropertySet(other);
  return *this;
}

NodePropertySet::~NodePropertySet() = default;

void NodePropertySet::Spill() {
  auto entries = std::make_unique<std::vector<Entry>>();
  ForEachPacked(packed_, [&](const PackedEntry& entry) {
    entries->push_back(Entry{std::string(entry.name), entry.value, entry.action});
    return true;
  });
  many_ = std::move(entries);
  std::string().swap(packed_);
}

const char* NodePropertySet::GetPropertyValue(const char* name) const {
  if (many_) {
    auto found = PlaceOf(*many_, name);
    return found == many_->end() || found->name != name ? nullptr : found->value.c_str();
  }
  return FindPacked(packed_, name).value;
}

bool NodePropertySet::PropertyExists(const char* name) const {
  return GetPropertyValue(name) != nullptr;
}

void NodePropertySet::SetPropertyValue(const char* name, const char* value) {
  SetPropertyValueWithAction(name, value == nullptr ? "" : value, ACTION_CHANGE);
}

void NodePropertySet::SetPropertyValueWithAction(const char* name, const char* value,
                                                 action_t action) {
  // Restoring a value that did not exist at the last load means the entry goes away.
  if (value == nullptr) {
    EraseProperty(name);
    return;
  }
  if (!many_ && (InText(packed_, name) || InText(packed_, value))) {
    // A text of this set, which the change would move or free: copied first.
    const std::string nameCopy(name), valueCopy(value);
    SetPropertyValueWithAction(nameCopy.c_str(), valueCopy.c_str(), action);
    return;
  }
  if (!many_) {
    const std::string_view nameText(name), valueText(value);
    const PackedPlace place = FindPacked(packed_, nameText);
    const bool fits = action >= 0 && action <= kMaxPackedAction &&
                      nameText.size() <= kMaxPackedName && valueText.size() <= kMaxPackedValue &&
                      (place.found || PackedCount(packed_) < kMaxPackedEntries);
    if (fits) {
      const size_t size = kPackedHeader + nameText.size() + 1 + valueText.size() + 1;
      packed_.replace(place.at, place.end - place.at, size, '\0');
      char* out = packed_.data() + place.at;
      out[0] = static_cast<char>(nameText.size());
      out[1] = static_cast<char>(action);
      out[2] = static_cast<char>(valueText.size() & 0xff);
      out[3] = static_cast<char>(valueText.size() >> 8);
      std::memcpy(out + kPackedHeader, nameText.data(), nameText.size());
      std::memcpy(out + kPackedHeader + nameText.size() + 1, valueText.data(), valueText.size());
      return;
    }
    Spill();
  }
  // Copied first: value may be a text of this set, which inserting would move.
  std::string text(value);
  auto at = PlaceOf(*many_, name);
  if (at != many_->end() && at->name == name) {
    at->value = std::move(text);
    at->action = action;
  } else {
    many_->insert(at, Entry{name, std::move(text), action});
  }
}

bool NodePropertySet::EraseProperty(const char* name) {
  if (!many_) {
    const PackedPlace place = FindPacked(packed_, name);
    if (place.found) packed_.erase(place.at, place.end - place.at);
    return place.found;
  }
  auto found = PlaceOf(*many_, name);
  if (found == many_->end() || found->name != name) return false;
  many_->erase(found);
  return true;
}

void NodePropertySet::DoForEachProperty(NameValueActionAlgorithm& algorithm) const {
  if (many_) {
    for (const Entry& entry : *many_) {
      algorithm.Process(entry.name.c_str(), entry.value.c_str(), entry.action);
    }
    return;
  }
  ForEachPacked(packed_, [&](const PackedEntry& entry) {
    algorithm.Process(entry.name.data(), entry.value, entry.action);
    return true;
  });
}

size_t NodePropertySet::size() const { return many_ ? many_->size() : PackedCount(packed_); }
