// The text of the listings, as a person reads them: a header line for the listings that have
// one and one text per row, each ending in its line end.
#pragma once

#include <optional>
#include <string>

#include "runtime/listing.h"

// The header line, with its line end; nothing for a listing without header.
std::optional<std::string> ListingHeaderText(const Listing& listing);
// What a listing that has no rows says instead, with its line end; nothing for a listing that is
// then shown empty (or as its header alone).
std::optional<std::string> EmptyListingText(const Listing& listing);
// The text of one row. A HISTORY row ends as its stored line does (with no line end added).
std::string ListingRowText(const Listing& listing, const ListingRow& row);
