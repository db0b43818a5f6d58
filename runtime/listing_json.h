// The listings as JSON Lines: each listing one document on one line, with what it lists, the
// object it is of and its rows with named fields (docs/output.md).
#pragma once

#include "runtime/listing_output.h"

// The one JSON renderer, never destroyed.
ListingRenderer& JsonListingRenderer();
