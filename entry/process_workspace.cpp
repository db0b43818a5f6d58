#include "entry/process_workspace.h"

namespace {
Workspace* instance = nullptr;

// Built and torn down by the loader rather than as a global object, so that the order of
// destruction is the one written in Workspace's destructor and nothing else's.
__attribute__((constructor)) void createProcessWorkspace() { instance = new Workspace(); }
__attribute__((destructor)) void destroyProcessWorkspace() {
  delete instance;
  instance = nullptr;
}
}  // namespace

Workspace& ProcessWorkspace() {
  if (instance == nullptr) instance = new Workspace();
  return *instance;
}
