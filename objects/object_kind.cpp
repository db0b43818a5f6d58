#include "objects/object_kind.h"

const char* KindName(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Agent:
      return "Agent";
    case ObjectKind::DSM:
      return "DSM";
    case ObjectKind::Target:
      return "Target";
    case ObjectKind::Broker:
      return "Broker";
    case ObjectKind::AutoConfig:
      return "AutoConfig";
  }
  return "UNKNOWN";
}
