// The plan of a dry run: what differs between an installation as it was loaded and as it is now.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/model.h"

namespace sim {

// Rule values of a qpk property ("qpk_own", "qpk_inherited") by rule number: number and value
// pairs separated by blanks, none (or nothing) for an unset property; none for any other text,
// which is then compared as a plain property.
using Rules = std::map<int64_t, std::string>;
std::optional<Rules> ParseRules(std::optional<std::string_view> text);

// The commands sent to an entry whose journal was was and is now: what follows was when now
// begins with it, else all of now (an entry of another load); each once, in the order first sent.
std::vector<std::string_view> CommandsSent(const std::vector<std::string>& was,
                                           const std::vector<std::string>& now);

// The differences from before to after, in tree order (each parent's children in before's order,
// then the ones after added). Text: one block per node that changed, indented by depth:
//
//   Agent 127.0.0.1:5465
//     ~ POLL_INTERVAL: "60" -> "30"       a property set, added ((unset) -> ...) or removed
//     ~ rule 12: 5 -> 7                   a rule value in qpk_own ("inherited rule" qpk_inherited)
//     ~ password: changed                 never the password itself
//     > restart                           a command sent, once per node, in the order sent
//     + Broker 10.1.1.30:5465             an entry added; what it holds follows, indented
//     - DSM dsm2                          an entry removed, with everything below it
//
// An entry that the run deleted and added back (after's made since its load, see
// Site::firstAddedId) is a removed entry and an added one. Of two files, a journal that does not
// begin with the old one is sent whole.
//
// "No changes." when there are none. JSON: {"format": 1, "changes": [...]}, one object per line
// above with "op" (set, rule, password, command, add, remove), "path" (the descriptions of the
// node's line of ancestors, itself last) and, as they apply, "name", "rule", "old", "new" (absent
// when unset) and "command".
// changes, when not null, receives the number of lines of changes ("No changes." when 0).
std::string PlanText(const Site& before, const Site& after, bool json, size_t* changes = nullptr);

}  // namespace sim
