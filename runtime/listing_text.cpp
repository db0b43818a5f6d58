#include "runtime/listing_text.h"

#include "runtime/formatted.h"

namespace {

constexpr const char kRuleHeader[] = "RULE %-65s   VALUE\n";

// Brackets mark a value that comes from above (or the full sensitivity of a rule set nowhere).
std::string RuleText(const RuleEntry& rule) {
  const bool inherited = !rule.ownValue.has_value();
  return Formatted("%-4d %-65s = %c%2d%c\n", rule.number, rule.description.c_str(),
                   inherited ? '[' : ' ', rule.value(), inherited ? ']' : ' ');
}

std::string ObjectTreeText(const ObjectTreeEntry& entry) {
  const auto size = [](const std::optional<std::string>& text) { return text ? text->size() : 0; };
  std::string line;
  // Room for the row's texts and its punctuation, so that it is not moved as it grows.
  line.reserve(3 * entry.depth + entry.name.size() + entry.kind.size() + size(entry.address) +
               size(entry.port) + size(entry.dsmName) + size(entry.community) + 32);
  line.append(3 * entry.depth, ' ');
  line.append("`- ").append(entry.name.c_str()).append(" (").append(entry.kind);
  if (entry.dsmName) {
    line.append(" - ").append(entry.dsmName->c_str());
  } else if (entry.community) {
    line.append(" - ").append(entry.address.value_or("").c_str()).append(" @ ");
    line.append(entry.community->c_str());
  } else if (entry.address) {
    line.append(" - ").append(entry.address->c_str()).append(":");
    line.append(entry.port.value_or("").c_str());
  }
  if (entry.version) {
    if (*entry.version) {
      line.append(" [v").append((*entry.version)->c_str()).append("]");
    } else {
      line.append(" [uncontactable]");
    }
  }
  line.append(")\n");
  return line;
}

// Picks the text of each kind of row.
struct RowText {
  const Listing& listing;

  std::string operator()(const BrokerEntry& entry) const {
    return Formatted("HOST: %-20s  PORT: %-5d\n", entry.address.c_str(), entry.port);
  }
  std::string operator()(const DsmEntry& entry) const {
    return Formatted("NAME: %s\n", entry.name.c_str());
  }
  std::string operator()(const TargetEntry& entry) const {
    return Formatted("HOST: %-20s  COMMUNITY: %s\n", entry.address.c_str(),
                     entry.community.c_str());
  }
  std::string operator()(const PropertyEntry& entry) const {
    if (listing.kind == ListingKind::kPropertySelection) {
      return Formatted("%s: %s = %s\n", entry.object.c_str(), entry.name.c_str(),
                       entry.value.c_str());
    }
    return Formatted("%s = %s\n", entry.name.c_str(), entry.value.c_str());
  }
  std::string operator()(const RuleEntry& entry) const {
    if (listing.kind == ListingKind::kRuleSelection) return entry.object + ": " + RuleText(entry);
    return RuleText(entry);
  }
  std::string operator()(const TextLine& line) const { return line.text + "\n"; }
  std::string operator()(const HistoryEntry& entry) const {
    return Formatted("%zu. ", entry.number) + entry.line;
  }
  std::string operator()(const ObjectTreeEntry& entry) const { return ObjectTreeText(entry); }
};

// The header and the text for no rows of the listings that name their object in them (formats
// of the object's name), or have a fixed text; null for none.
struct ListingTexts {
  const char* header;
  const char* empty;
};

ListingTexts TextsOf(ListingKind kind) {
  switch (kind) {
    case ListingKind::kBrokers:
      return {"BROKER List for \"%s\":\n", "Object \"%s\" has no BROKERS.\n"};
    case ListingKind::kDsms:
      return {"DSM List for \"%s\":\n", "Object \"%s\" has no DSMS.\n"};
    case ListingKind::kTargets:
      return {"TARGET List for \"%s\":\n", "Object \"%s\" has no TARGETS.\n"};
    case ListingKind::kObjects:
      return {"Orbitane\n", "There are no objects currently active.\n"};
    default:
      return {nullptr, nullptr};
  }
}

std::optional<std::string> TextOfObject(const char* format, const Listing& listing) {
  if (format == nullptr) return std::nullopt;
  return Formatted(format, listing.object.c_str());
}

}  // namespace

std::optional<std::string> ListingHeaderText(const Listing& listing) {
  switch (listing.kind) {
    case ListingKind::kRules:
    case ListingKind::kRule:
    case ListingKind::kRuleSelection:
      return Formatted(kRuleHeader, "DESCRIPTION");
    default:
      return TextOfObject(TextsOf(listing.kind).header, listing);
  }
}

std::optional<std::string> EmptyListingText(const Listing& listing) {
  return TextOfObject(TextsOf(listing.kind).empty, listing);
}

std::string ListingRowText(const Listing& listing, const ListingRow& row) {
  return std::visit(RowText{listing}, row);
}
