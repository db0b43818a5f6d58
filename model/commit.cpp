#include "model/commit.h"

#include "model/remote_command.h"
#include "model/rule_value_text.h"

bool ConfigObject::CommitProperties() {
  if (!IsAvailable()) return false;
  if (!workingSet) return true;

  const SetAside& aside = setAside();
  const std::string ownText = WriteRuleValueText(aside.ownRuleValues);
  workingSet->properties.SetPropertyValueWithAction(
      "qpk_own", ownText.c_str(), ownText == aside.ownRuleText ? ACTION_NONE : ACTION_CHANGE);

  RuleValues inherited;
  if (parentObject != nullptr) parentObject->CollectRuleValues(inherited);
  workingSet->properties.SetPropertyValueWithAction(
      "qpk_inherited", WriteRuleValueText(inherited).c_str(), ACTION_NONE);

  if (!aside.excludeText.empty()) {
    workingSet->properties.SetPropertyValueWithAction("EXCLUDE", aside.excludeText.c_str(),
                                                      ACTION_NONE);
  }

  const bool written = treeNode->SetProperties(workingSet->properties);
  // Written or not, the next access loads the node's properties afresh.
  workingSet.reset();
  return written;
}

ConfigObject* ConfigObject::FindAgent() {
  ConfigObject* top = this;
  while (top->parentObject != nullptr) top = top->parentObject;
  return top->objectKind == ObjectKind::Agent ? top : nullptr;
}

namespace {

void Send(Console& console, ConfigObject& object, const char* command) {
  // The answer is not looked at: the properties are written either way.
  RunObjectCommand(object, command, "", console, false);
}

}  // namespace

void CommitRun::Targets::Add(ConfigObject* object) {
  if (members.insert(object).second) order.push_back(object);
}

void CommitRun::Targets::SendToAll(Console& console, const char* command) {
  for (ConfigObject* object : order) {
    if (members.count(object) != 0) Send(console, *object, command);
  }
}

bool CommitRun::Commit(ConfigObject& object) {
  // Both tests look at the working copy before the commit drops it.
  const bool rulesChanged = object.RuleValuesChanged();
  const bool propertiesChanged = object.HasPropertyChanges();
  if (!object.CommitProperties()) return false;
  if (!rulesChanged && !propertiesChanged) return true;
  switch (object.kind()) {
    case ObjectKind::Agent:
      (rulesChanged ? restartTargets : reloadTargets).Add(&object);
      break;
    case ObjectKind::Target:
      if (ConfigObject* agent = object.FindAgent()) {
        (rulesChanged ? restartTargets : reloadTargets).Add(agent);
      }
      break;
    default:
      if (rulesChanged) {
        if (ConfigObject* agent = object.FindAgent()) restartTargets.Add(agent);
      }
      reloadTargets.Add(&object);
      break;
  }
  return true;
}

void CommitRun::SendCommands(Console& console) {
  // A restart includes a reload: each object gets one command or the other, once.
  for (ConfigObject* object : restartTargets.inOrder()) {
    reloadTargets.Remove(object);
    Send(console, *object, "restart");
  }
  reloadTargets.SendToAll(console, "reload");
}
