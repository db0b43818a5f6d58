#include "model/server_session.h"

ServerSession::ServerSession() { initAPI(); }

ServerSession::~ServerSession() {
  root.reset();
  holder.reset();
  destroyAPI();
}
