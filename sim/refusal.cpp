#include "sim/refusal.h"

#include "orbitane/orbitaneapi.h"

namespace {

int lastReason = 0;
std::string lastText;

}  // namespace

namespace sim {

void Refuse(int reason, std::string text) {
  lastReason = reason;
  lastText = "orbitane sim: " + std::move(text);
}

}  // namespace sim

char* OrbitaneTakeRefusal(int* reason) {
  if (lastReason == 0) return nullptr;
  if (reason != nullptr) *reason = lastReason;
  lastReason = 0;
  char* text = SharedHeapStrdup(lastText.c_str());
  lastText.clear();
  return text;
}
