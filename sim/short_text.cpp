#include "sim/short_text.h"

#include <stdexcept>
#include <utility>

namespace sim {

void ShortText::Assign(std::string_view text) {
  if (text.size() <= kInPlace) {
    std::memcpy(bytes, text.data(), text.size());
    SetInPlace(text.size());
    return;
  }
  if (text.size() > UINT32_MAX) throw std::length_error("ShortText: text too long");
  char* data = new char[text.size() + 1];
  std::memcpy(data, text.data(), text.size());
  data[text.size()] = '\0';
  const auto size = static_cast<uint32_t>(text.size());
  std::memcpy(bytes, &data, sizeof data);
  std::memcpy(bytes + sizeof data, &size, sizeof size);
  bytes[kInPlace] = kHeapMark;
}

ShortText& ShortText::operator=(std::string_view text) {
  // text may lie in this one's own allocation: the new one is made before that is freed.
  ShortText made(text);
  return *this = std::move(made);
}

ShortText& ShortText::operator=(ShortText&& other) noexcept {
  if (this != &other) {
    Free();
    std::memcpy(bytes, other.bytes, sizeof bytes);
    other.SetInPlace(0);
  }
  return *this;
}

}  // namespace sim
