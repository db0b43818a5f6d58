#include "runtime/listing_output.h"

#include "runtime/console.h"
#include "runtime/listing_text.h"

namespace {

ListingRenderer* otherRenderer = nullptr;

}  // namespace

void SetListingRenderer(ListingRenderer* renderer) { otherRenderer = renderer; }

std::optional<ListingRow> RowList::Next() {
  if (next >= rows.size()) return std::nullopt;
  return rows[next++];
}

void RowList::StepBack(int count) {
  // next is one past the row last given.
  const size_t last = next == 0 ? 0 : next - 1;
  next = last >= static_cast<size_t>(count) ? last - static_cast<size_t>(count) : 0;
}

PagedListing::PagedListing(const CommandContext& command, Listing listing)
    : listing(std::move(listing)), pager(command), renderer(otherRenderer), command(command) {
  if (renderer != nullptr) {
    renderer->Begin(this->listing);
  } else {
    ShowHeader();
  }
}

PagedListing::~PagedListing() {
  if (renderer != nullptr && rendering) WriteRendered();
}

// Where the pager writes: the session's sink (captured by a string session), else the console.
void PagedListing::WriteRendered() {
  const std::string rendered = renderer->End();
  command.console.FlushOutput();
  if (command.session.sink != nullptr) {
    command.session.sink->write(rendered.c_str());
  } else {
    command.console.Document(rendered);
  }
}

void PagedListing::SendShownRows() {
  if (renderer == nullptr || !rowsShown) return;
  WriteRendered();
  command.console.FlushOutput();
  rendering = false;  // the next row begins the next listing
  rowsShown = false;
}

void PagedListing::ShowHeader() {
  // The header is line 1; a page is at least two lines, so no prompt follows it.
  if (const std::optional<std::string> header = ListingHeaderText(listing)) pager.Print(*header);
}

PagerMove PagedListing::Show(const ListingRow& row) {
  if (renderer != nullptr) {
    if (!rendering) renderer->Begin(listing);
    rendering = true;
    renderer->Row(row);
    rowsShown = true;
    return PagerMove::kNext;
  }
  const PagerMove move = pager.Print(ListingRowText(listing, row));
  if (move == PagerMove::kRestart) ShowHeader();
  return move;
}

void PageListing(const CommandContext& command, const Listing& listing, PageableRows& rows) {
  PagedListing paged(command, listing);
  while (const std::optional<ListingRow> row = rows.Next()) {
    switch (paged.Show(*row)) {
      case PagerMove::kNext:
        break;
      case PagerMove::kQuit:
        return;
      case PagerMove::kRestart:
        rows.Rewind();
        break;
      case PagerMove::kBackAPage:
        rows.StepBack(paged.backStep());
        break;
    }
  }
}

void PrintListing(Console& console, const Listing& listing, RowSource& rows) {
  if (otherRenderer != nullptr) {
    otherRenderer->Begin(listing);
    while (const std::optional<ListingRow> row = rows.Next()) otherRenderer->Row(*row);
    console.Document(otherRenderer->End());
    return;
  }
  if (const std::optional<std::string> header = ListingHeaderText(listing)) console.Write(*header);
  while (const std::optional<ListingRow> row = rows.Next()) {
    console.Write(ListingRowText(listing, *row));
  }
}

void PrintEmptyListing(Console& console, const Listing& listing) {
  if (otherRenderer != nullptr) {
    otherRenderer->Begin(listing);
    console.Document(otherRenderer->End());
    return;
  }
  if (const std::optional<std::string> text = EmptyListingText(listing)) console.Write(*text);
}
