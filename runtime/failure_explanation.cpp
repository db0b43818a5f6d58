#include "runtime/failure_explanation.h"

#include "runtime/command_context.h"

namespace {

bool explainEveryScript = false;
FailureExplainer explainer = nullptr;

}  // namespace

void SetExplainEveryScript(bool on) { explainEveryScript = on; }

bool ExplainsFailures(const ScriptOptions& options) {
  return explainEveryScript || options.terminalSession;
}

void SetFailureExplainer(FailureExplainer newExplainer) { explainer = newExplainer; }

void ExplainFailure(const CommandContext& command) {
  if (explainer != nullptr && ExplainsFailures(command.options)) explainer(command);
}
