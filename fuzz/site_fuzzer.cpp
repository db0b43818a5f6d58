// Fuzz target: the input as the text of a site file. The reading must agree with the reading
// through the parser's events alone (the same refusal, or an installation that writes back the
// same), whether it reads the text in place or from a copy, and what loads must write back as text
// that loads again and writes back the same; anything else aborts, as a crash would.
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
  // Read in place too, from a buffer with room after the text (bytes that would change the
  // reading if they were read as part of it): the same outcome as from a copy.
  constexpr size_t kSlack = 64;
  std::string buffer(text);
  buffer.append(kSlack, ']');
  std::string inPlaceError;
  const auto inPlace =
      sim::ReadSite(std::string_view(buffer).substr(0, size), inPlaceError, kSlack);
  if ((inPlace == nullptr) != (site == nullptr) || inPlaceError != error ||
      (site && sim::WriteSite(*inPlace) != sim::WriteSite(*site))) {
    std::fprintf(stderr, "read in place: \"%s\", from a copy: \"%s\"\n", inPlaceError.c_str(),
                 error.c_str());
    std::abort();
  }
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
