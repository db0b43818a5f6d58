#include "objects/object_name_checks.h"

#include "objects/object_kind.h"
#include "objects/object_registry.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

ConfigObject* RegisteredObjectOrRefuse(const CommandContext& command, const char* subcommand) {
  ConfigObject* object = Registry().Find(command.objectName);
  if (object == nullptr) {
    command.Fail(ResultCode::kReservedObject,
                 "Subcommand %s may not be used on reserved objects.\n", subcommand);
  }
  return object;
}

bool AcceptNewObjectName(const CommandContext& command, const std::string& name) {
  if (name.find(command.options.objectSeparator) == std::string::npos &&
      !isReservedObjectName(name.c_str())) {
    return true;
  }
  return command.Fail(ResultCode::kBadObjectName, "Bad object name \"%s\".\n", name.c_str());
}
