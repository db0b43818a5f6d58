// The entry points about the installation itself: opening it before a script runs, and the plan
// of the changes made to one that writes nothing. Both go through the optional entry points of
// orbitane/extensions.h; an implementation without them has nothing to open and makes no plans.
#include <cstdlib>
#include <cstring>

#include "hxo/hxo.h"
#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"

namespace {

// A copy of text from the shared heap on the C heap, the text released.
char* TakeText(char* text) {
  if (text == nullptr) return nullptr;
  char* copy = strdup(text);
  SharedHeapFree(text);
  return copy;
}

}  // namespace

extern "C" {

HXO_API int HXO_OpenInstallation(char** message) {
  if (message != nullptr) *message = nullptr;
  if (OrbitaneOpenInstallation == nullptr) return 0;
  char* text = nullptr;
  const int status = OrbitaneOpenInstallation(&text);
  if (message != nullptr) {
    *message = TakeText(text);
  } else if (text != nullptr) {
    SharedHeapFree(text);
  }
  return status;
}

HXO_API int HXO_CanPlan(void) { return OrbitanePlan != nullptr ? 1 : 0; }

HXO_API int HXO_GetPlan(const char* format, char** plan) {
  if (plan != nullptr) *plan = nullptr;
  if (OrbitanePlan == nullptr || format == nullptr ||
      (std::strcmp(format, "text") != 0 && std::strcmp(format, "json") != 0)) {
    return 1;
  }
  char* text = TakeText(OrbitanePlan(format));
  if (text == nullptr) return 1;
  if (plan != nullptr) {
    *plan = text;
  } else {
    std::free(text);
  }
  return 0;
}

}  // extern "C"
