// Reads an installation from the JSON text of a site file (format 1), checking it as it goes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sim/model.h"

namespace sim {

// The installation that text describes, or null with error set to "<json path>: <problem>"
// (e.g. `agents[0].brokers[1]: "port" must be a number from 0 to 65535`) or, for text that is not
// JSON, "line L, column C: <problem>".
// slack: bytes after text that belong to the caller's buffer and may be read (never changed);
// with enough of them the text is parsed in place instead of being copied first.
std::shared_ptr<Site> ReadSite(std::string_view text, std::string& error, size_t slack = 0);

// The same reading through nlohmann's parser and the reader's events alone, without simdjson
// and without the short cuts taken for plain targets: slower, and the reference that ReadSite
// must agree with (the site fuzzer and the tests compare the two).
std::shared_ptr<Site> ReadSiteThroughEvents(std::string_view text, std::string& error);

}  // namespace sim
