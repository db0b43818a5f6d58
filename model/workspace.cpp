// The one connection to the event server. A failed attempt stays current (so the next attempt
// knows to discard it); an authenticated one stays until the workspace ends.
#include "model/workspace.h"

#include <new>

Workspace::~Workspace() {
  // Objects hold nodes of the tree that the session's root owns, so they go first.
  objects.Clear();
  CloseServerSession();
}

bool Workspace::IsAuthenticated() const { return session != nullptr && session->root != nullptr; }

bool Workspace::OpenServerSession(const char* server, const char* user, const char* password) {
  if (IsAuthenticated()) return true;
  session.reset();
  session.reset(new (std::nothrow) ServerSession());
  if (session == nullptr) return false;
  session->server = server == nullptr ? "" : server;
  session->user = user == nullptr ? "" : user;
  session->holder.reset(TreeRootHolder::GetRoot("distributed", server, user, password));
  if (session->holder != nullptr) {
    ChildDefinitionData record;
    record.setv("filename", "nul");
    session->root.reset(session->holder->GetRootNode(record));
  }
  return session->root != nullptr;
}

void Workspace::CloseServerSession() { session.reset(); }

ServerSession& Workspace::EnsureServerSession() {
  if (session == nullptr) session = std::make_unique<ServerSession>();
  return *session;
}
