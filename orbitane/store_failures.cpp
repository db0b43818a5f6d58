// The count of changes that the vendor library accepted but could not store.
#include "orbitane/orbitaneapi.h"

namespace {
uint64_t storeFailures = 0;  // the library runs on one thread
}  // namespace

void CountStoreFailure() { ++storeFailures; }

uint64_t StoreFailureCount() { return storeFailures; }
