// SHA-256 digests in lower-case hexadecimal, through OpenSSL's libcrypto: what a saved plan
// records of its scripts.
#pragma once

#include <string>
#include <string_view>

struct evp_md_ctx_st;

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Add(std::string_view bytes);
  // A text and its length, so that ("ab", "c") and ("a", "bc") never digest alike.
  void AddField(std::string_view text);
  // The digest of everything added; the object starts over afterwards.
  std::string Hex();

 private:
  evp_md_ctx_st* context;
};

std::string Sha256Hex(std::string_view bytes);
