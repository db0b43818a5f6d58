// Fingerprints of entries, for saved plans: what a plan was made from, and whether the
// installation still holds it when the plan is applied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sim/model.h"

namespace sim {

// A SHA-256, in hexadecimal, of an entry's kind and identity, its properties in key order (the
// rule values among them) and the descriptions of its children in order (its autoconfig object
// first). Neither its password, its journal nor its logs take part.
std::string Fingerprint(const Entry& entry);

// The JSON list that OrbitaneFingerprints gives (orbitane/extensions.h) for the entries of site
// whose ids are marked in read, in tree order; names gives the engine's name of an entry by id.
std::string FingerprintRecords(const Site& site, const std::vector<bool>& read,
                               const std::unordered_map<uint64_t, std::string>& names);

// Compares such a list with the installation now: one line per difference, in the list's order
// ("~ hq: POLL_INTERVAL \"60\" -> \"45\" since the plan", "+ dsm1: Target 10.2.9.9@public added
// since the plan", "- Target 10.2.0.1@public: gone since the plan"); empty when nothing
// drifted. None when recorded is not such a list.
std::optional<std::string> Drift(const Site& now, std::string_view recorded);

}  // namespace sim
