#include "orbitane/sha256.h"

#include <new>

#include <openssl/evp.h>

Sha256::Sha256() : context(EVP_MD_CTX_new()) {
  if (context == nullptr || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(context);
    throw std::bad_alloc();
  }
}

Sha256::~Sha256() { EVP_MD_CTX_free(context); }

void Sha256::Add(std::string_view bytes) { EVP_DigestUpdate(context, bytes.data(), bytes.size()); }

void Sha256::AddField(std::string_view text) {
  const std::string length = std::to_string(text.size()) + ":";
  Add(length);
  Add(text);
}

std::string Sha256::Hex() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_DigestFinal_ex(context, digest, &size);
  EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
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
