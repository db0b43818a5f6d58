// The kinds table.
#include "sim/kind.h"

namespace sim {
namespace {

struct KindFacts {
  Kind kind;
  const char* typeName;
  std::optional<Kind> childKind;
  const char* childListKey;
  std::vector<std::string> defaultCommands;
};

// In the order of the enumeration's values. Built once, never destroyed: nodes may be used during
// exit-time destruction.
const KindFacts* Table() {
  static const auto* const kKinds = new KindFacts[6]{
      {Kind::Root, "Root", Kind::Agent, nullptr, {}},
      {Kind::Agent, "Agent", Kind::Broker, "brokers", {"restart", "reload"}},
      {Kind::Broker, "Broker", Kind::Dsm, "dsms", {"update", "reload", "restart"}},
      {Kind::AutoConfig, "AutoConfig", std::nullopt, nullptr, {"reload", "reconfig"}},
      {Kind::Dsm, "DSM", Kind::Target, "targets", {"reconfig", "reload", "restart"}},
      {Kind::Target, "Target", std::nullopt, nullptr, {"reconfig", "reload"}},
  };
  return kKinds;
}

const KindFacts& FactsOf(Kind kind) { return Table()[static_cast<int>(kind)]; }

}  // namespace

const char* TypeName(Kind kind) { return FactsOf(kind).typeName; }
std::optional<Kind> ChildKind(Kind parent) { return FactsOf(parent).childKind; }
const char* ChildListKey(Kind parent) { return FactsOf(parent).childListKey; }
const std::vector<std::string>& DefaultCommands(Kind kind) { return FactsOf(kind).defaultCommands; }

}  // namespace sim
