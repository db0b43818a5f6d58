// The two checks every command that names objects starts with: a subcommand needs a registered
// object (not a reserved name), and a new object needs a name that is neither reserved nor
// holds the separator.
#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "objects/object_registry.h"

ConfigObject* ScriptSession::RegisteredObjectOrRefuse(int lineNumber,
                                                      const std::string& objectName,
                                                      const char* subcommand) {
  ConfigObject* object = Registry().Find(objectName);
  if (object == nullptr) {
    Fail(ResultCode::kReservedObject, lineNumber,
         "Subcommand %s may not be used on reserved objects.\n", subcommand);
  }
  return object;
}

bool ScriptSession::AcceptNewObjectName(int lineNumber, const std::string& name,
                                        const ScriptOptions& options) {
  if (name.find(options.objectSeparator) == std::string::npos &&
      !isReservedObjectName(name.c_str())) {
    return true;
  }
  return Fail(ResultCode::kBadObjectName, lineNumber, "Bad object name \"%s\".\n", name.c_str());
}
