// The texts an entry is named by (its address, DSM name, community): up to 15 bytes in place,
// longer ones in an allocation of their own, 16 bytes in all where a std::string takes 32. Every
// entry holds three, and a large installation a million entries, nearly all of whose texts are
// short ("10.100.3.7", "public").
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace sim {

class ShortText {
 public:
  ShortText() noexcept { SetInPlace(0); }
  ShortText(std::string_view text) { Assign(text); }  // NOLINT: stands in for a std::string
  ShortText(const char* text) : ShortText(std::string_view(text)) {}  // NOLINT: as above
  ShortText(const ShortText& other) : ShortText(other.view()) {}
  ShortText(ShortText&& other) noexcept {
    std::memcpy(bytes, other.bytes, sizeof bytes);
    other.SetInPlace(0);
  }
  ShortText& operator=(const ShortText& other) { return *this = other.view(); }
  ShortText& operator=(ShortText&& other) noexcept;
  ShortText& operator=(std::string_view text);
  ShortText& operator=(const char* text) { return *this = std::string_view(text); }
  ~ShortText() { Free(); }

  std::string_view view() const {
    return OnHeap() ? std::string_view(HeapData(), HeapSize())
                    : std::string_view(bytes, kInPlace - static_cast<size_t>(bytes[kInPlace]));
  }
  operator std::string_view() const { return view(); }  // NOLINT: as std::string does
  // The text followed by its NUL.
  const char* c_str() const { return OnHeap() ? HeapData() : bytes; }
  size_t size() const { return view().size(); }
  bool empty() const { return size() == 0; }

  friend bool operator==(const ShortText& a, std::string_view b) { return a.view() == b; }
  friend std::string operator+(std::string_view a, const ShortText& b) {
    return std::string(a).append(b.view());
  }
  friend std::string operator+(const ShortText& a, std::string_view b) {
    return std::string(a.view()).append(b);
  }

 private:
  // In place: the text, its NUL, and in the last byte 15 less its size (so that a text of 15
  // bytes ends in the NUL). On the heap: the pointer, the size, and kHeapMark in the last byte.
  static constexpr size_t kInPlace = 15;
  static constexpr char kHeapMark = static_cast<char>(0x80);

  bool OnHeap() const { return bytes[kInPlace] == kHeapMark; }
  const char* HeapData() const {
    const char* data;
    std::memcpy(&data, bytes, sizeof data);
    return data;
  }
  size_t HeapSize() const {
    uint32_t size;
    std::memcpy(&size, bytes + sizeof(char*), sizeof size);
    return size;
  }
  void SetInPlace(size_t size) {
    bytes[size] = '\0';
    bytes[kInPlace] = static_cast<char>(kInPlace - size);
  }
  void Assign(std::string_view text);
  void Free() {
    if (OnHeap()) delete[] HeapData();
  }

  alignas(char*) char bytes[16];
};

}  // namespace sim
