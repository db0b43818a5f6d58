// The one connection to the event server. A failed attempt stays current (so the next attempt
// knows to discard it); an authenticated one stays until the library unloads.
#include "model/server_session.h"

#include <new>

#include "model/object_registry.h"
#include "model/workspace.h"

ServerSession::ServerSession() { initAPI(); }

ServerSession::~ServerSession() {
  root.reset();
  holder.reset();
  destroyAPI();
}

ServerSession* CurrentServerSession() { return ProcessState::Get().serverSession.get(); }

bool IsAuthenticated() {
  const ServerSession* session = CurrentServerSession();
  return session != nullptr && session->root != nullptr;
}

bool OpenServerSession(const char* server, const char* user, const char* password) {
  std::unique_ptr<ServerSession>& current = ProcessState::Get().serverSession;
  if (current != nullptr && current->root != nullptr) return true;
  current.reset();
  current.reset(new (std::nothrow) ServerSession());
  if (current == nullptr) return false;
  current->server = server == nullptr ? "" : server;
  current->user = user == nullptr ? "" : user;
  current->holder.reset(TreeRootHolder::GetRoot("distributed", server, user, password));
  if (current->holder != nullptr) {
    ChildDefinitionData record;
    record.setv("filename", "nul");
    current->root.reset(current->holder->GetRootNode(record));
  }
  return current->root != nullptr;
}

void CloseServerSession() { ProcessState::Get().serverSession.reset(); }
