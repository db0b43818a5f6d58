// What the scripts of one process share: the declared objects, the connection to the event
// server and the names of the script files running at this moment. Handlers receive it through
// their command context; each object knows the workspace it was declared in.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "model/object_registry.h"
#include "model/server_session.h"

class Workspace {
 public:
  Workspace() = default;
  // Destroys the registered objects (and their nodes) first, then the server session's root
  // node and holder, then ends the use of the vendor library.
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Every object that scripts have declared, by name.
  ObjectRegistry& registry() { return objects; }
  const ObjectRegistry& registry() const { return objects; }

  // The current connection to the event server, or null before the first attempt.
  ServerSession* serverSession() const { return session.get(); }
  // Whether a server session exists and holds its root node.
  bool IsAuthenticated() const;
  // Opens the server session when none is authenticated; true when authenticated afterwards.
  // A failed session stays current until the next attempt discards it.
  bool OpenServerSession(const char* server, const char* user, const char* password);
  // Releases the server session (its root, its holder, then the library).
  void CloseServerSession();
  // Starts the use of the vendor library with a session that has no root, as a program that
  // supplies its own nodes does.
  ServerSession& EnsureServerSession();

  // Names of the script files running at this moment, compared exactly.
  std::set<std::string>& runningScripts() { return scripts; }

 private:
  std::set<std::string> scripts;
  ObjectRegistry objects;
  std::unique_ptr<ServerSession> session;
};
