// Rule sensitivities of an object: the branch's rule descriptions, the values in force and the
// object's own values, which COMMIT writes as "qpk_own".
#include <memory>

#include "model/config_object.h"
#include "model/object_access.h"
#include "model/rule_list.h"

namespace {

// The rule descriptions in force for object: its own pointer, else the nearest ancestor's, else
// those loaded on the topmost object of the branch; the object keeps a pointer to them. Null
// when no rule list can be had.
const RuleDescriptions* FindRuleList(ConfigObject& object) {
  if (const RuleDescriptions* own = object.setAside().ruleDescriptions.get()) return own;
  ConfigObject* holder = &object;
  while (!holder->setAside().ruleDescriptions && holder->parent != nullptr) {
    holder = holder->parent;
  }
  if (!holder->setAside().ruleDescriptions && !holder->LoadRuleList()) return nullptr;
  if (holder != &object) {
    object.EditSetAside().ruleDescriptions = holder->setAside().ruleDescriptions;
  }
  return object.setAside().ruleDescriptions.get();
}

RuleRow MakeRow(const ConfigObject& object, const std::string& description, int32_t rule,
                const std::map<int32_t, int32_t>& inherited) {
  RuleRow row;
  row.description = description;
  const std::map<int32_t, int32_t>& ownValues = object.setAside().ownRuleValues;
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

std::map<int32_t, int32_t> InheritedValues(ConfigObject& object) {
  std::map<int32_t, int32_t> values;
  if (object.parent != nullptr) object.parent->CollectRuleValues(values);
  return values;
}

}  // namespace

bool ConfigObject::LoadRuleList() {
  if (setAside().ruleDescriptions) return true;
  if (node == nullptr) return false;
  char* text = node->GetNamedDataItem("rulelist");
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
  if (!IsAvailable(*this)) return nullptr;
  const RuleDescriptions* descriptions = FindRuleList(*this);
  if (descriptions == nullptr) return nullptr;
  auto found = descriptions->find(rule);
  return found == descriptions->end() ? nullptr : found->second.c_str();
}

RuleRow ConfigObject::GetRule(int32_t rule) {
  if (!IsAvailable(*this) || !EnsurePropertiesLoaded()) return {};
  const RuleDescriptions* descriptions = FindRuleList(*this);
  if (descriptions == nullptr) return {};
  auto found = descriptions->find(rule);
  if (found == descriptions->end()) return {};
  return MakeRow(*this, found->second, rule, InheritedValues(*this));
}

RuleTable ConfigObject::GetRuleTable() {
  if (!IsAvailable(*this) || !EnsurePropertiesLoaded()) return {};
  const RuleDescriptions* descriptions = FindRuleList(*this);
  if (descriptions == nullptr) return {};
  const std::map<int32_t, int32_t> inherited = InheritedValues(*this);
  RuleTable table;
  // Rules with own values but no description stay out of the table (and are still committed).
  for (const auto& [rule, description] : *descriptions) {
    table.emplace_hint(table.end(), rule, MakeRow(*this, description, rule, inherited));
  }
  return table;
}

bool ConfigObject::SetRuleValue(int32_t rule, int32_t value) {
  if (!IsAvailable(*this) || !EnsurePropertiesLoaded()) return false;
  if (value < -1 || value > 10) return false;
  const RuleDescriptions* descriptions = FindRuleList(*this);
  if (descriptions == nullptr || descriptions->count(rule) == 0) return false;
  // -1 takes the own value away, so that the value from above applies again.
  if (value == -1) return setAsideValues && setAsideValues->ownRuleValues.erase(rule) != 0;
  EditSetAside().ownRuleValues[rule] = value;
  return true;
}
