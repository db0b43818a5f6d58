#include "model/property_visitors.h"

void ChangeDetector::Process(const char*, const char*, action_t action) {
  if (action != ACTION_NONE) changed = true;
}

void PropertyCollector::Process(const char* name, const char* value, action_t) {
  properties[name] = value == nullptr ? "" : value;
}

void PendingChangeCollector::Process(const char* name, const char*, action_t action) {
  if (action != 0) names.insert(name);
}
