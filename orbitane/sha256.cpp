#include "orbitane/sha256.h"

#include <new>

#include <openssl/evp.h>

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
  if (context_ == nullptr || EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(context_);
    throw std::bad_alloc();
  }
}

Sha256::~Sha256() { EVP_MD_CTX_free(context_); }

void Sha256::Add(std::string_view bytes) { EVP_DigestUpdate(context_, bytes.data(), bytes.size()); }

void Sha256::AddField(std::string_view text) {
  const std::string length = std::to_string(text.size()) + ":";
  Add(length);
  Add(text);
}

std::string Sha256::Hex() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_DigestFinal_ex(context_, digest, &size);
  EVP_DigestInit_ex(context_, EVP_sha256(), nullptr);
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * size);
  for (unsigned int i = 0; i < size; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 15];
  }
  return hex;
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 digest;
  digest.Add(bytes);
  return digest.Hex();
}
