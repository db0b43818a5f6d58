#include "model/address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "runtime/c_number.h"

namespace {

// The test looks at a copy of at most this many characters, as the text it is meant for is
// never longer ("255.255.255.255" has 15).
constexpr size_t kQuadCopyLength = 16;

// One part between dots: empty, or beginning with a digit and reading 0 to 255.
bool IsQuadPart(std::string_view part) {
  if (!part.empty() && (part.front() < '0' || part.front() > '9')) return false;
  int value = ParseIntLikeAtoi(part);
  return value >= 0 && value <= 255;
}

bool LookUpHostName(const char* name, in_addr& address) {
  if (*name == '\0') return false;  // names nothing, so no resolver is asked
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* results = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &results) != 0 || results == nullptr) return false;
  bool found = false;
  for (const addrinfo* at = results; at != nullptr; at = at->ai_next) {
    if (at->ai_family == AF_INET && at->ai_addr != nullptr) {
      address = reinterpret_cast<const sockaddr_in*>(at->ai_addr)->sin_addr;
      found = true;
      break;
    }
  }
  freeaddrinfo(results);
  return found;
}

// The address of a text that is exactly four decimal numbers from 0 to 255 joined by dots, none
// with a leading zero: what inet_addr gives for it, read without the C library's general parser
// (which also takes octal, hexadecimal and shorter forms, and is left to do so). Nothing for any
// other text.
std::optional<in_addr_t> PlainDottedQuad(const char* text) {
  uint32_t value = 0;
  const char* at = text;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *at++ != '.') return std::nullopt;
    if (*at < '0' || *at > '9') return std::nullopt;
    if (*at == '0' && at[1] >= '0' && at[1] <= '9') return std::nullopt;
    uint32_t number = 0;
    for (int digits = 0; *at >= '0' && *at <= '9'; ++at) {
      if (++digits > 3) return std::nullopt;
      number = number * 10 + static_cast<uint32_t>(*at - '0');
    }
    if (number > 255) return std::nullopt;
    value = value << 8 | number;
  }
  if (*at != '\0') return std::nullopt;
  return htonl(value);
}

}  // namespace

bool IsDottedQuad(const char* text) {
  if (text == nullptr) return false;
  // Bounded copy: a longer text is judged by its first 16 characters and never read past them.
  std::string_view copy(text, strnlen(text, kQuadCopyLength));

  size_t dots[3];
  size_t from = 0;
  for (size_t& dot : dots) {
    dot = copy.find('.', from);
    if (dot == std::string_view::npos) return false;
    from = dot + 1;
  }
  if (copy.find('.', from) != std::string_view::npos) return false;

  std::string_view parts[4] = {
      copy.substr(0, dots[0]),
      copy.substr(dots[0] + 1, dots[1] - dots[0] - 1),
      copy.substr(dots[1] + 1, dots[2] - dots[1] - 1),
      copy.substr(dots[2] + 1),
  };
  for (std::string_view part : parts) {
    if (!IsQuadPart(part)) return false;
  }
  return true;
}

bool ResolveAddress(const char* text, in_addr& address) {
  if (text == nullptr) return false;
  if (std::optional<in_addr_t> plain = PlainDottedQuad(text)) {
    address.s_addr = *plain;
  } else if (IsDottedQuad(text)) {
    address.s_addr = inet_addr(text);
  } else if (!LookUpHostName(text, address)) {
    return false;
  }
  return address.s_addr != INADDR_NONE && address.s_addr != INADDR_ANY;
}

std::string DottedText(in_addr address) {
  // inet_ntoa's text, without its shared buffer and formatting by printf.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&address.s_addr);
  char text[16];
  char* end = text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) *end++ = '.';
    end = std::to_chars(end, text + sizeof text, bytes[i]).ptr;
  }
  return std::string(text, end);
}
