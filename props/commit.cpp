// obj.COMMIT: writes working copies back to the nodes and makes the objects concerned take the
// new settings: "restart" where rule values changed, "reload" where only properties did.
#include "props/commit.h"

#include <unordered_set>
#include <vector>

#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "props/object_access.h"
#include "props/object_selection.h"
#include "props/remote_command.h"
#include "props/rule_value_text.h"
#include "runtime/console.h"

bool ConfigObject::CommitProperties() {
  if (!IsAvailable(*this)) return false;
  if (!workingProperties) return true;

  const std::string ownText = WriteRuleValueText(ownRuleValues);
  workingProperties->SetPropertyValueWithAction(
      "qpk_own", ownText.c_str(), ownText == ownRuleText ? ACTION_NONE : ACTION_CHANGE);

  RuleValues inherited;
  if (parent != nullptr) parent->CollectRuleValues(inherited);
  workingProperties->SetPropertyValueWithAction(
      "qpk_inherited", WriteRuleValueText(inherited).c_str(), ACTION_NONE);

  if (!excludeText.empty()) {
    workingProperties->SetPropertyValueWithAction("EXCLUDE", excludeText.c_str(), ACTION_NONE);
  }

  const bool written = node->SetProperties(*workingProperties);
  // Written or not, the next access loads the node's properties afresh.
  workingProperties.reset();
  return written;
}

ConfigObject* FindAgent(ConfigObject& object) {
  ConfigObject* current = &object;
  while (true) {
    const std::string parentName = ParentName(*current);
    if (parentName.empty()) return current->kind == ObjectKind::Agent ? current : nullptr;
    current = Registry().Find(parentName);
    if (current == nullptr) return nullptr;
  }
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

bool ScriptSession::HandleObjectCommit(int lineNumber, const std::string&,
                                       ScriptOptions& options, std::string objectName) {
  ObjectSelection selection(objectName);
  if (ConfigObject* object = selection.single()) {
    const CommitOutcome outcome = CommitObject(*object);
    if (!outcome.written) {
      return Fail(ResultCode::kCommitFailed, lineNumber, kCommitFailed, object->name.c_str());
    }
    // A command that the installation accepted but could not record is a failed write too.
    const uint64_t storeFailures = StoreFailureCount();
    if (outcome.rulesChanged || outcome.propertiesChanged) {
      if (object->kind == ObjectKind::Agent) {
        Send(*object, outcome.rulesChanged ? "restart" : "reload");
      } else if (object->kind == ObjectKind::Target) {
        if (ConfigObject* agent = FindAgent(*object)) {
          Send(*agent, outcome.rulesChanged ? "restart" : "reload");
        }
      } else {
        if (outcome.rulesChanged) {
          if (ConfigObject* agent = FindAgent(*object)) Send(*agent, "restart");
        }
        Send(*object, "reload");
      }
    }
    if (StoreFailureCount() != storeFailures) {
      return Fail(ResultCode::kCommitFailed, lineNumber, kCommitFailed, object->name.c_str());
    }
    if (options.verbose) {
      consolePrint("Properties for %s object %s have been committed.\n", KindName(object->kind),
                   object->name.c_str());
    }
    return true;
  }
  if (!selection.valid()) return false;

  CommandTargets restartTargets;
  CommandTargets reloadTargets;
  for (const auto& [name, object] : Registry()) {
    if (!selection.Includes(*object)) continue;
    const CommitOutcome outcome = CommitObject(*object);
    if (!outcome.written) {
      Fail(ResultCode::kCommitFailed, lineNumber, kCommitFailed, name.c_str());
      // Stopping sends nothing at all, not even for the objects already written.
      if (!options.continueOnError) return false;
      continue;
    }
    if (!outcome.rulesChanged && !outcome.propertiesChanged) continue;
    switch (object->kind) {
      case ObjectKind::Agent:
        (outcome.rulesChanged ? restartTargets : reloadTargets).Add(object.get());
        break;
      case ObjectKind::Target:
        if (ConfigObject* agent = FindAgent(*object)) {
          (outcome.rulesChanged ? restartTargets : reloadTargets).Add(agent);
        }
        break;
      default:
        if (outcome.rulesChanged) {
          if (ConfigObject* agent = FindAgent(*object)) restartTargets.Add(agent);
        }
        reloadTargets.Add(object.get());
        break;
    }
  }
  // A restart includes a reload: each object gets one command or the other, once. A command
  // that the installation accepted but could not record is a failed write.
  const uint64_t storeFailures = StoreFailureCount();
  for (ConfigObject* object : restartTargets.inOrder()) {
    reloadTargets.Remove(object);
    Send(*object, "restart");
  }
  reloadTargets.SendToAll("reload");
  if (StoreFailureCount() != storeFailures) {
    Fail(ResultCode::kCommitFailed, lineNumber, kCommitFailed, objectName.c_str());
    if (!options.continueOnError) return false;
  }

  if (options.verbose) {
    consolePrint("Properties for %s objects have been committed.\n", selection.label());
  }
  return true;
}
