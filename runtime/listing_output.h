// Showing a listing: its rows go through the renderer to the pager (and so to the session's
// sink) or, for the listings that are not paged, straight to standard output.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "runtime/command_context.h"
#include "runtime/listing.h"
#include "runtime/pager.h"

// The rows of a listing, produced as it is shown.
class RowSource {
 public:
  virtual ~RowSource() = default;
  // The next row; nothing at the end of the listing (or when it must stop).
  virtual std::optional<ListingRow> Next() = 0;
};

// Rows the pager can move back over.
class PageableRows : public RowSource {
 public:
  // Back to the first row.
  virtual void Rewind() = 0;
  // Makes the next row the one count rows before the row last given (the first at most).
  virtual void StepBack(int count) = 0;
};

// Rows held in memory.
class RowList : public PageableRows {
 public:
  explicit RowList(std::vector<ListingRow> rows) : rows(std::move(rows)) {}
  std::optional<ListingRow> Next() override;
  void Rewind() override { next = 0; }
  void StepBack(int count) override;
  bool empty() const { return rows.empty(); }

 private:
  std::vector<ListingRow> rows;
  size_t next = 0;
};

// Receives every listing whole in place of its text: another output format. While one is set,
// nothing is paged and no listing text is written: what End gives is written where the text
// would have gone.
class ListingRenderer {
 public:
  virtual ~ListingRenderer() = default;
  virtual void Begin(const Listing& listing) = 0;
  virtual void Row(const ListingRow& row) = 0;
  virtual std::string End() = 0;
};
// Null (the default) for the text.
void SetListingRenderer(ListingRenderer* renderer);

// One paged listing being shown, for a command that walks its own rows (LOG). Shows the header
// at once; after each row, the caller goes where the move says.
class PagedListing {
 public:
  PagedListing(const CommandContext& command, Listing listing);
  ~PagedListing();
  PagedListing(const PagedListing&) = delete;
  PagedListing& operator=(const PagedListing&) = delete;

  PagerMove Show(const ListingRow& row);
  // A prompt of the listing's own; a new page starts after it. Another format asks nothing: the
  // listing ends there.
  PagerAnswer Ask(const char* prompt, PagerAnswer atEndOfInput) {
    if (renderer != nullptr) return kPagerQuit;
    return pager.Ask(prompt, atEndOfInput);
  }
  // How many rows a kBackAPage move steps back from the row just shown.
  int backStep() const { return pager.backStep(); }
  // Before a wait (a followed log): another format sends the rows shown so far as one listing
  // and goes on in a new one.
  void SendShownRows();

 private:
  void ShowHeader();
  void WriteRendered();

  Listing listing;
  Pager pager;
  ListingRenderer* const renderer;
  const CommandContext& command;
  bool rendering = true;  // another format: a listing is begun and not yet written
  bool rowsShown = false;
};

// Pages a listing: its header, then its rows, going back and quitting as the answers say.
void PageListing(const CommandContext& command, const Listing& listing, PageableRows& rows);
// Prints a listing on standard output, unpaged and not captured.
void PrintListing(Console& console, const Listing& listing, RowSource& rows);
// Prints what a listing without rows says instead (unpaged and not captured); nothing for a
// listing that says nothing then.
void PrintEmptyListing(Console& console, const Listing& listing);
