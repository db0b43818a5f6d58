#include "model/object_name_checks.h"

#include "model/object_kind.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

bool AcceptNewObjectName(const CommandContext& command, const std::string& name) {
  if (name.find(command.options.objectSeparator) == std::string::npos &&
      !isReservedObjectName(name.c_str())) {
    return true;
  }
  return command.Fail(ResultCode::kBadObjectName, "Bad object name \"%s\".\n", name.c_str());
}
