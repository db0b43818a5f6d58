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
