// The one connection to the event server. A failed attempt stays current (so the next attempt
// knows to discard it); an authenticated one stays until the library unloads.
#include "objects/server_session.h"

#include <new>

#include "objects/object_registry.h"
#include "objects/process_state.h"

namespace {

// Deletes what the session holds and ends the use of the vendor library it began.
void discard(ServerSession* session) {
  delete session->root;
  delete session->holder;
  destroyAPI();
  delete session;
}

}  // namespace

ServerSession* CurrentServerSession() { return ProcessState::Get().serverSession; }

bool IsAuthenticated() {
  const ServerSession* session = CurrentServerSession();
  return session != nullptr && session->root != nullptr;
}

bool OpenServerSession(const char* server, const char* user, const char* password) {
  ServerSession*& current = ProcessState::Get().serverSession;
  if (current != nullptr && current->root != nullptr) return true;
  if (current != nullptr) {
    discard(current);
    current = nullptr;
  }

  auto* session = new (std::nothrow) ServerSession();
  if (session == nullptr) return false;
  initAPI();
  session->holder = TreeRootHolder::GetRoot("distributed", server, user, password);
  if (session->holder != nullptr) {
    ChildDefinitionData record;
    record.setv("filename", "nul");
    session->root = session->holder->GetRootNode(record);
  }
  current = session;
  return session->root != nullptr;
}

void CloseServerSession() {
  ServerSession*& current = ProcessState::Get().serverSession;
  if (current == nullptr) return;
  discard(current);
  current = nullptr;
}
