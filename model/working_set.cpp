// The working copy of an object's properties: loaded from the node on first use, edited by SET,
// UNSET, RESET and QPK, written back and dropped by a commit.
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "model/config_object.h"
#include "model/property_visitors.h"
#include "model/rule_value_text.h"

namespace {

constexpr const char kOwnRules[] = "qpk_own";
constexpr const char kInheritedRules[] = "qpk_inherited";
constexpr const char kExclude[] = "EXCLUDE";
constexpr const char kCableCommunity[] = "CABLE_CMTY";
constexpr const char kCableDsmName[] = "_cmmt";

// Whether name is wanted; most names differ at the first byte, tested without a call.
bool NameIs(const char* name, const char* wanted) {
  return name[0] == wanted[0] && std::strcmp(name, wanted) == 0;
}

// Whether any child of node has a definition record named exactly "_cmmt". A child whose record
// has no "name" entry is not that DSM.
bool HasCableCommunityDsm(TreeNode& node) {
  std::unique_ptr<TreeWalker> walker(node.GetChildWalker());
  if (!walker) return false;
  for (walker->First(); !walker->AtEnd(); walker->Next()) {
    std::unique_ptr<TreeNode> child(walker->Current());
    if (!child) continue;
    const char* childName = child->GetDefinitionData().getv("name");
    if (childName != nullptr && NameIs(childName, kCableDsmName)) return true;
  }
  return false;
}

// The entries that a load sets aside or looks for, found in one walk of the loaded set rather
// than a search of it for each.
class SetAsideScan : public NameValueActionAlgorithm {
 public:
  void Process(const char* name, const char* value, action_t) override {
    if (NameIs(name, kOwnRules)) {
      if (value != nullptr) ownRules = value;
    } else if (NameIs(name, kInheritedRules)) {
      inheritedRules = true;
    } else if (NameIs(name, kExclude)) {
      if (value != nullptr) exclude = value;
    } else if (NameIs(name, kCableCommunity)) {
      cableCommunity = true;
    }
  }
  std::optional<std::string> ownRules;
  std::optional<std::string> exclude;
  bool inheritedRules = false;
  bool cableCommunity = false;
};

// A target whose broker holds the cable-community DSM shows CABLE_CMTY (empty when the node has
// none), so that SET can give it a value; a target of that DSM itself does not. present says
// whether the loaded set has it already.
void AddCableCommunity(ConfigObject& object, NodePropertySet& properties, bool present) {
  if (object.kind() != ObjectKind::Target || present) return;
  ConfigObject* dsm = object.parent();
  if (dsm == nullptr || dsm->name() == kCableDsmName) return;
  ConfigObject* broker = dsm->parent();
  if (broker == nullptr || broker->node() == nullptr) return;
  if (HasCableCommunityDsm(*broker->node())) {
    properties.SetPropertyValueWithAction(kCableCommunity, "", ACTION_NONE);
  }
}

}  // namespace

bool ConfigObject::EnsurePropertiesLoaded() {
  if (!IsAvailable()) return false;
  if (workingSet) return true;
  std::unique_ptr<NodePropertySet> loaded(treeNode->GetProperties());
  if (!loaded) return false;

  SetAsideScan found;
  loaded->DoForEachProperty(found);
  if (setAsideValues) setAsideValues->ownRuleValues.clear();
  if (found.ownRules) {
    SetAside& aside = EditSetAside();
    aside.ownRuleText = std::move(*found.ownRules);
    ReadRuleValueText(aside.ownRuleText, aside.ownRuleValues);
    loaded->EraseProperty(kOwnRules);
  }
  // The inherited values are recomputed from the ancestors at every commit.
  if (found.inheritedRules) loaded->EraseProperty(kInheritedRules);
  if (found.exclude) {
    EditSetAside().excludeText = std::move(*found.exclude);
    loaded->EraseProperty(kExclude);
  }
  AddCableCommunity(*this, *loaded, found.cableCommunity);

  // Saved after the fix-up, so that a property added by it is no pending change.
  workingSet = std::make_unique<WorkingSet>();
  workingSet->saved = *loaded;
  workingSet->properties = std::move(*loaded);
  return true;
}

const char* ConfigObject::GetProperty(const char* propertyName) {
  // A property that is there always has a value (the empty text at least): one search tells.
  if (!EnsurePropertiesLoaded()) return nullptr;
  return workingSet->properties.GetPropertyValue(propertyName);
}

bool ConfigObject::SetProperty(const char* propertyName, const char* value) {
  if (!EnsurePropertiesLoaded()) return false;
  if (value != nullptr) {
    workingSet->properties.SetPropertyValue(propertyName, value);
  } else {
    // Restoring: the value of the last load, marked as unchanged.
    workingSet->properties.SetPropertyValueWithAction(
        propertyName, workingSet->saved.GetPropertyValue(propertyName), ACTION_NONE);
  }
  return true;
}

std::map<std::string, std::string> ConfigObject::GetAllProperties() {
  if (!EnsurePropertiesLoaded()) return {};
  PropertyCollector collector;
  workingSet->properties.DoForEachProperty(collector);
  return std::move(collector.properties);
}

bool ConfigObject::HasPropertyChanges() const {
  if (!IsAvailable() || !workingSet) return false;
  ChangeDetector detector;
  workingSet->properties.DoForEachProperty(detector);
  return detector.changed;
}

std::set<std::string> ConfigObject::ChangedPropertyNames() const {
  PendingChangeCollector pending;
  if (workingSet) workingSet->properties.DoForEachProperty(pending);
  return std::move(pending.names);
}

bool ConfigObject::RuleValuesChanged() const {
  if (!IsAvailable() || !workingSet) return false;
  return WriteRuleValueText(setAside().ownRuleValues) != setAside().ownRuleText;
}

void ConfigObject::CollectRuleValues(std::map<int32_t, int32_t>& values) {
  if (parentObject != nullptr) parentObject->CollectRuleValues(values);
  if (!EnsurePropertiesLoaded()) return;
  for (const auto& [rule, value] : setAside().ownRuleValues) values[rule] = value;
}
