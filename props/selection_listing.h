// The rows of a listing of one row per selected object (obj.SET option and obj.QPK rule on a
// reserved name), made as the listing reaches each object. Only selected objects count as its
// rows when the pager goes back.
#pragma once

#include <functional>
#include <optional>

#include "props/object_selection.h"
#include "runtime/command_context.h"
#include "runtime/listing_output.h"

class SelectionRows : public PageableRows {
 public:
  // rowOf reports its own failure and gives nothing: that object takes no row, and the listing
  // stops unless CONTINUE is ON.
  using RowOf = std::function<std::optional<ListingRow>(ConfigObject&)>;

  SelectionRows(const CommandContext& command, const ObjectSelection& selection, RowOf rowOf);

  std::optional<ListingRow> Next() override;
  void Rewind() override;
  void StepBack(int count) override;
  // Whether a failure stopped the listing.
  bool stopped() const { return failed; }

 private:
  const CommandContext& command;
  const ObjectSelection& selection;
  RowOf rowOf;
  ObjectRegistry::Map::const_iterator next;
  ObjectRegistry::Map::const_iterator last;  // the entry of the row last given
  bool failed = false;
};
