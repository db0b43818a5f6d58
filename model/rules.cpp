// Rule sensitivities of an object: the branch's rule descriptions, the values in force and the
// object's own values, which COMMIT writes as "qpk_own".
#include <memory>

#include "model/config_object.h"
#include "model/rule_list.h"

namespace {

std::map<int32_t, int32_t> InheritedValues(ConfigObject& object) {
  std::map<int32_t, int32_t> values;
  if (object.parent() != nullptr) object.parent()->CollectRuleValues(values);
  return values;
}

}  // namespace

const RuleDescriptions* ConfigObject::RuleListInForce() {
  if (const RuleDescriptions* own = setAside().ruleDescriptions.get()) return own;
  ConfigObject* holder = this;
  while (!holder->setAside().ruleDescriptions && holder->parentObject != nullptr) {
    holder = holder->parentObject;
  }
  if (!holder->setAside().ruleDescriptions && !holder->LoadRuleList()) return nullptr;
  if (holder != this) EditSetAside().ruleDescriptions = holder->setAside().ruleDescriptions;
  return setAside().ruleDescriptions.get();
}

RuleRow ConfigObject::MakeRuleRow(const std::string& description, int32_t rule,
                                  const std::map<int32_t, int32_t>& inherited) const {
  RuleRow row;
  row.description = description;
  const std::map<int32_t, int32_t>& ownValues = setAside().ownRuleValues;
  if (auto own = ownValues.find(rule); own != ownValues.end()) {
    row.value = own->second;
    row.inherited = false;
  } else if (auto above = inherited.find(rule); above != inherited.end()) {
    row.value = above->second;
    row.inherited = true;
  } else {
    // A rule set nowhere has the full sensitivity.
    row.value = 10;
    row.inherited = true;
  }
  return row;
}

bool ConfigObject::LoadRuleList() {
  if (setAside().ruleDescriptions) return true;
  if (treeNode == nullptr) return false;
  char* text = treeNode->GetNamedDataItem("rulelist");
  if (text == nullptr) return false;
  auto loaded = std::make_shared<RuleDescriptions>();
  ParseRuleList(text, *loaded);
  SharedHeapFree(text);
  // An empty list is never kept, so that a later request asks the node again.
  if (loaded->empty()) return false;
  EditSetAside().ruleDescriptions = std::move(loaded);
  return true;
}

const char* ConfigObject::GetRuleDescription(int32_t rule) {
  if (!IsAvailable()) return nullptr;
  const RuleDescriptions* descriptions = RuleListInForce();
  if (descriptions == nullptr) return nullptr;
  auto found = descriptions->find(rule);
  return found == descriptions->end() ? nullptr : found->second.c_str();
}

RuleRow ConfigObject::GetRule(int32_t rule) {
  if (!IsAvailable() || !EnsurePropertiesLoaded()) return {};
  const RuleDescriptions* descriptions = RuleListInForce();
  if (descriptions == nullptr) return {};
  auto found = descriptions->find(rule);
  if (found == descriptions->end()) return {};
  return MakeRuleRow(found->second, rule, InheritedValues(*this));
}

RuleTable ConfigObject::GetRuleTable() {
  if (!IsAvailable() || !EnsurePropertiesLoaded()) return {};
  const RuleDescriptions* descriptions = RuleListInForce();
  if (descriptions == nullptr) return {};
  const std::map<int32_t, int32_t> inherited = InheritedValues(*this);
  RuleTable table;
  // Rules with own values but no description stay out of the table (and are still committed).
  for (const auto& [rule, description] : *descriptions) {
    table.emplace_hint(table.end(), rule, MakeRuleRow(description, rule, inherited));
  }
  return table;
}

bool ConfigObject::SetRuleValue(int32_t rule, int32_t value) {
  if (!IsAvailable() || !EnsurePropertiesLoaded()) return false;
  if (value < -1 || value > 10) return false;
  const RuleDescriptions* descriptions = RuleListInForce();
  if (descriptions == nullptr || descriptions->count(rule) == 0) return false;
  // -1 takes the own value away, so that the value from above applies again.
  if (value == -1) return setAsideValues && setAsideValues->ownRuleValues.erase(rule) != 0;
  EditSetAside().ownRuleValues[rule] = value;
  return true;
}

int ConfigObject::InheritedRuleValue(int32_t rule) const {
  for (const ConfigObject* above = parentObject; above != nullptr; above = above->parentObject) {
    if (!above->workingSet) continue;
    const std::map<int32_t, int32_t>& own = above->setAside().ownRuleValues;
    if (auto found = own.find(rule); found != own.end()) return found->second;
  }
  return 10;
}
