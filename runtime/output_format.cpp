#include "runtime/output_format.h"

#include <nlohmann/json.hpp>

#include "runtime/listing_json.h"

namespace {

OutputFormat currentFormat = OutputFormat::kText;

}  // namespace

void SetOutputFormat(OutputFormat format) {
  currentFormat = format;
  SetListingRenderer(format == OutputFormat::kJson ? &JsonListingRenderer() : nullptr);
}

bool JsonOutput() { return currentFormat == OutputFormat::kJson; }

std::string JsonLine(const nlohmann::ordered_json& document) {
  return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
