// Fuzz target: the input as the text of a site file. What loads must write back as text that
// loads again and writes back the same; anything else aborts, as a crash would.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/site_reader.h"
#include "sim/site_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto site = sim::ReadSite(text, error);
  if (!site) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const std::string written = sim::WriteSite(*site);
  const auto again = sim::ReadSite(written, error);
  if (!again) {
    std::fprintf(stderr, "the written site does not load: %s\n", error.c_str());
    std::abort();
  }
  if (sim::WriteSite(*again) != written) {
    std::fprintf(stderr, "the reloaded site writes back differently\n");
    std::abort();
  }
  return 0;
}
