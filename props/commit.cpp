// obj.COMMIT: writes working copies back to the nodes and makes the objects concerned take the
// new settings: "restart" where rule values changed, "reload" where only properties did.
#include "model/commit.h"

#include <unordered_set>
#include <vector>

#include "model/object_access.h"
#include "props/object_selection.h"
#include "model/remote_command.h"
#include "model/rule_value_text.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"

bool ConfigObject::CommitProperties() {
  if (!IsAvailable(*this)) return false;
  if (!workingProperties) return true;

  const SetAside& aside = setAside();
  const std::string ownText = WriteRuleValueText(aside.ownRuleValues);
  workingProperties->SetPropertyValueWithAction(
      "qpk_own", ownText.c_str(), ownText == aside.ownRuleText ? ACTION_NONE : ACTION_CHANGE);

  RuleValues inherited;
  if (parent != nullptr) parent->CollectRuleValues(inherited);
  workingProperties->SetPropertyValueWithAction("qpk_inherited",
                                                WriteRuleValueText(inherited).c_str(), ACTION_NONE);

  if (!aside.excludeText.empty()) {
    workingProperties->SetPropertyValueWithAction("EXCLUDE", aside.excludeText.c_str(),
                                                  ACTION_NONE);
  }

  const bool written = node->SetProperties(*workingProperties);
  // Written or not, the next access loads the node's properties afresh.
  workingProperties.reset();
  return written;
}

ConfigObject* FindAgent(ConfigObject& object) {
  ConfigObject* top = &object;
  while (top->parent != nullptr) top = top->parent;
  return top->kind == ObjectKind::Agent ? top : nullptr;
}

namespace {

constexpr const char kCommitFailed[] = "Failed to commit properties on object \"%s\".\n";

// What one object's commit found before writing.
struct CommitOutcome {
  bool written = false;
  bool rulesChanged = false;
  bool propertiesChanged = false;
};

CommitOutcome CommitObject(ConfigObject& object) {
  CommitOutcome outcome;
  // Both tests look at the working copy before the commit drops it.
  outcome.rulesChanged = object.RuleValuesChanged();
  outcome.propertiesChanged = object.HasPropertyChanges();
  outcome.written = object.CommitProperties();
  return outcome;
}

void Send(ConfigObject& object, const char* command) {
  // The answer is not looked at: the properties are written either way.
  RunObjectCommand(object, command, "", false);
}

// Objects to be sent one command, each at most once, in the order they were first named.
class CommandTargets {
 public:
  void Add(ConfigObject* object) {
    if (members.insert(object).second) order.push_back(object);
  }
  bool Remove(ConfigObject* object) { return members.erase(object) != 0; }
  void SendToAll(const char* command) {
    for (ConfigObject* object : order) {
      if (members.count(object) != 0) Send(*object, command);
    }
  }
  const std::vector<ConfigObject*>& inOrder() const { return order; }

 private:
  std::vector<ConfigObject*> order;
  std::unordered_set<ConfigObject*> members;
};

}  // namespace

// What HELP prints for this command.
extern const char* const kCommitHelp[] = {
    "SYNTAX: obj.COMMIT",
    "",
    "Commits the changed options and QPK settings of the object and makes",
    "the object reload or restart so that they take effect. On a reserved",
    "name such as ALL, commits all objects of that kind.",
    "",
    "Changes that are not committed are lost when the program ends.",
    nullptr,
};

bool HandleObjectCommit(CommandContext& command) {
  ObjectSelection selection(command.objectName);
  if (!selection.valid()) return false;

  CommandTargets restartTargets;
  CommandTargets reloadTargets;
  const WalkOutcome walk = ForEach(command, selection, [&](ConfigObject& object) {
    const CommitOutcome outcome = CommitObject(object);
    if (!outcome.written) {
      return command.Fail(ResultCode::kCommitFailed, kCommitFailed, object.name.c_str());
    }
    if (!outcome.rulesChanged && !outcome.propertiesChanged) return true;
    switch (object.kind) {
      case ObjectKind::Agent:
        (outcome.rulesChanged ? restartTargets : reloadTargets).Add(&object);
        break;
      case ObjectKind::Target:
        if (ConfigObject* agent = FindAgent(object)) {
          (outcome.rulesChanged ? restartTargets : reloadTargets).Add(agent);
        }
        break;
      default:
        if (outcome.rulesChanged) {
          if (ConfigObject* agent = FindAgent(object)) restartTargets.Add(agent);
        }
        reloadTargets.Add(&object);
        break;
    }
    return true;
  });
  // Stopping sends nothing at all, not even for the objects already written.
  if (walk.stopped) return false;

  // A restart includes a reload: each object gets one command or the other, once. What the
  // commands give is not looked at: the properties are written, and that is the result.
  for (ConfigObject* object : restartTargets.inOrder()) {
    reloadTargets.Remove(object);
    Send(*object, "restart");
  }
  reloadTargets.SendToAll("reload");

  if (!command.options.verbose) return true;
  if (ConfigObject* single = selection.single()) {
    ConsolePrint("Properties for %s object %s have been committed.\n", KindName(single->kind),
                 single->name.c_str());
  } else {
    ConsolePrint("Properties for %s objects have been committed.\n", selection.label());
  }
  return true;
}
