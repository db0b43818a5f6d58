// What a rehearsal (a dry run) on the installation in use cannot show.
#include <cstring>

#include "hxo/hxo.h"
#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"

extern "C" HXO_API char* HXO_RehearsalLimits(void) {
  if (OrbitaneRehearsalLimits == nullptr) return nullptr;
  char* limits = OrbitaneRehearsalLimits();
  if (limits == nullptr) return nullptr;
  char* copy = strdup(limits);
  SharedHeapFree(limits);
  return copy;
}
