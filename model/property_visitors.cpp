#include "model/property_visitors.h"

void ChangeDetector::Process(const char*, const char*, action_t action) {
  if (action != ACTION_NONE) changed = true;
}

void PropertyCollector::Process(const char* name, const char* value, action_t) {
  properties[name] = value == nullptr ? "" : value;
}
