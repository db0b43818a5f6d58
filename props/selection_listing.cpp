#include "props/selection_listing.h"

SelectionRows::SelectionRows(const CommandContext& command, const ObjectSelection& selection,
                             RowOf rowOf)
    : command(command),
      selection(selection),
      rowOf(std::move(rowOf)),
      next(selection.registry().begin()),
      last(next) {}

std::optional<ListingRow> SelectionRows::Next() {
  for (; next != selection.registry().end(); ++next) {
    ConfigObject& object = *next->second;
    if (!selection.Includes(object)) continue;
    std::optional<ListingRow> row = rowOf(object);
    if (!row) {
      if (command.options.continueOnError) continue;
      failed = true;
      return std::nullopt;
    }
    last = next++;
    return row;
  }
  return std::nullopt;
}

void SelectionRows::Rewind() { next = selection.registry().begin(); }

void SelectionRows::StepBack(int count) {
  // Back over the selected objects before the one last shown; those without a row count too.
  next = last;
  for (int stepped = 0; stepped < count && next != selection.registry().begin();) {
    --next;
    if (selection.Includes(*next->second)) ++stepped;
  }
}
