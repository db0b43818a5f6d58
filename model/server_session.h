// The one authenticated connection to the event server, shared by every script session.
#pragma once

#include <memory>
#include <string>

#include "orbitane/orbitaneapi.h"

struct ServerSession {
  // Begins the use of the vendor library; the destructor releases the root, then the holder,
  // then ends that use.
  ServerSession();
  ~ServerSession();
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;

  std::unique_ptr<TreeRootHolder> holder;  // null when GetRoot failed
  std::unique_ptr<TreeNode> root;          // null when authentication failed
  std::string server, user;                // as given to GetRoot (never the password)
};

// Opens the current server session when none is authenticated; true when authenticated
// afterwards. A failed session stays current until the next attempt discards it.
bool OpenServerSession(const char* server, const char* user, const char* password);
// Whether a server session exists and holds its root node.
bool IsAuthenticated();
// The current server session, or null before the first attempt.
ServerSession* CurrentServerSession();
// Releases the current session (its root, its holder, then the library). At library unload.
void CloseServerSession();
