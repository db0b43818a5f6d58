#include "model/workspace.h"

#include "model/server_session.h"

namespace {
ProcessState* instance = nullptr;

// Built and torn down by the loader rather than as a global object, so that the order of
// destruction is the one written in ProcessState's destructor and nothing else's.
__attribute__((constructor)) void createProcessState() { instance = new ProcessState(); }
__attribute__((destructor)) void destroyProcessState() {
  delete instance;
  instance = nullptr;
}
}  // namespace

ProcessState& ProcessState::Get() {
  if (instance == nullptr) instance = new ProcessState();
  return *instance;
}

ProcessState::~ProcessState() {
  // Objects hold nodes of the tree that the session's root owns, so they go first.
  registry.Clear();
  CloseServerSession();
}
