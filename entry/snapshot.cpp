// Asking the implementation for a snapshot of the declared agents: the engine chooses the agents
// and the session; the installation file is written by the implementation.
#include "entry/snapshot.h"

#include <vector>

#include "entry/process_workspace.h"
#include "model/server_session.h"
#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"

bool MakeSnapshot(std::string& text, std::string& problem) {
  ServerSession* session = ProcessWorkspace().serverSession();
  if (session == nullptr || session->root == nullptr) {
    problem = "the script did not authenticate: there is nothing to take a snapshot of";
    return false;
  }
  if (OrbitaneSnapshot == nullptr) {
    problem = "this implementation of the interface cannot take snapshots";
    return false;
  }
  std::vector<TreeNode*> agents;
  for (const auto& [name, object] : ProcessWorkspace().registry()) {
    if (object->kind() == ObjectKind::Agent && object->node()) agents.push_back(object->node());
  }
  char* error = nullptr;
  char* snapshot = OrbitaneSnapshot(agents.data(), static_cast<int>(agents.size()),
                                    session->server.c_str(), session->user.c_str(), &error);
  if (snapshot == nullptr) {
    problem = error != nullptr ? error : "the installation took no snapshot";
    SharedHeapFree(error);
    return false;
  }
  text = snapshot;
  SharedHeapFree(snapshot);
  return true;
}
