// Texts of a JSON document read with simdjson's On-Demand iteration where they lie in the text: a
// string without an escape is the bytes between its quotes (no copy, and none of simdjson's
// string buffer touched), one with an escape simdjson's unescaped copy.
#pragma once

#include <simdjson.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace sim {

// The closing quote of the string whose text begins at content (just after its opening quote),
// and whether the text holds an escape. simdjson has checked that every string of the text is
// closed, so the scan ends within it. Eight bytes are looked at a time (nearly every text of a
// site is shorter than that): a word may reach up to seven bytes past the closing quote, which
// the padding that simdjson requires after a document keeps inside the buffer.
inline const char* ClosingQuote(const char* content, bool& escaped) {
  static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
  constexpr uint64_t kOnes = 0x0101010101010101;
  constexpr uint64_t kHighBits = 0x8080808080808080;
  escaped = false;
  const char* at = content;
  for (;;) {
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    const uint64_t quotes = word ^ (kOnes * '"');
    const uint64_t backslashes = word ^ (kOnes * '\\');
    // The high bit of each byte that is zero in either word. The lowest one found is exact (a
    // borrow can only mark bytes above a zero), and that is the only one used.
    const uint64_t found =
        (((quotes - kOnes) & ~quotes) | ((backslashes - kOnes) & ~backslashes)) & kHighBits;
    if (found == 0) {
      at += sizeof word;
      continue;
    }
    at += std::countr_zero(found) / 8;
    if (*at == '"') return at;
    break;
  }
  // An escape: the rest of the text byte by byte, each escaped character skipped.
  escaped = true;
  for (;; ++at) {
    if (*at == '"') return at;
    if (*at == '\\') ++at;
  }
}

// A string value's text, and whether it held an escape. False when value is not a string or its
// escapes are not JSON. Only an escaped text may hold a NUL character: simdjson refuses raw
// control characters. Either way the value is consumed: simdjson skips a value left unread by its
// structure alone, and would take a string followed by ':' for a key.
inline bool ReadText(simdjson::ondemand::value& value, std::string_view& out, bool& escaped) {
  const std::string_view token = value.raw_json_token();
  if (token.empty() || token[0] != '"') return false;
  const char* closing = ClosingQuote(token.data() + 1, escaped);
  if (escaped) return value.get_string().get(out) == simdjson::SUCCESS;
  simdjson::ondemand::raw_json_string raw;
  if (value.get_raw_json_string().get(raw)) return false;
  out = std::string_view(token.data() + 1, static_cast<size_t>(closing - token.data() - 1));
  return true;
}

}  // namespace sim
