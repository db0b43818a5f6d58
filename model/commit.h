// COMMIT's part in the model: writing working copies back to the nodes and making the objects
// concerned take the new settings: "restart" where rule values changed, "reload" where only
// properties did.
#pragma once

#include <unordered_set>
#include <vector>

#include "model/config_object.h"
#include "runtime/console.h"

class CommitRun {
 public:
  // Writes the object's working copy back to its node; false when the node did not take it.
  // A written change marks the objects that must take it: an agent itself, a target's agent,
  // any other object itself and, for a change of rule values, its agent to restart.
  bool Commit(ConfigObject& object);
  // Sends "restart" to every marked object whose rule values changed, then "reload" to the
  // others, each object once, in the order they were first marked. What the commands give is
  // not looked at: the properties are written, and that is the result.
  void SendCommands(Console& console);

 private:
  // Objects to be sent one command, each at most once, in the order they were first named.
  class Targets {
   public:
    void Add(ConfigObject* object);
    bool Remove(ConfigObject* object) { return members.erase(object) != 0; }
    void SendToAll(Console& console, const char* command);
    const std::vector<ConfigObject*>& inOrder() const { return order; }

   private:
    std::vector<ConfigObject*> order;
    std::unordered_set<ConfigObject*> members;
  };

  Targets restartTargets;
  Targets reloadTargets;
};
