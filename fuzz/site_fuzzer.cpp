// Fuzz target: the input as the text of a site file. The reading must agree with the reading
// through the parser's events alone (the same refusal, or an installation that writes back the
// same), and what loads must write back as text that loads again and writes back the same;
// anything else aborts, as a crash would.
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
  std::string referenceError;
  const auto reference = sim::ReadSiteThroughEvents(text, referenceError);
  if (!site) {
    if (error.empty()) std::abort();  // a refusal always says why
    if (reference || referenceError != error) {
      std::fprintf(stderr, "refused with \"%s\", through the events: \"%s\"\n", error.c_str(),
                   reference ? "(loaded)" : referenceError.c_str());
      std::abort();
    }
    return 0;
  }
  const std::string written = sim::WriteSite(*site);
  if (!reference || sim::WriteSite(*reference) != written) {
    std::fprintf(stderr, "loaded, but through the events: %s\n",
                 reference ? "a different installation" : referenceError.c_str());
    std::abort();
  }
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
