// The terminal session's history file, looked at before the line editor reads or writes it: only
// a regular file of a sane size is read, and only a regular file (or a new one) is written, so
// that a FIFO there cannot hang the session and a link to a device cannot feed it without end or
// be written through. When the history cannot be kept, the person is told once, on standard
// error: "hxo_cmdline: the history is not kept: REASON".
#pragma once

#include <string>

// A history file larger than this is neither read nor rewritten.
constexpr long long kMaxHistoryFileBytes = 16LL << 20;

// Whether the history at path may be read now. A missing file may not (there is nothing), but is
// no problem when its folder lets it be made later; anything else that stands in the way is
// reported. The empty path (no home) is never read and reported once.
bool HistoryFileReadable(const std::string& path);

// Makes path ready for the history to be written into it: creates it (mode 0600) when it is
// missing, and keeps it at 0600. False, reported unless it was already, when it is not a regular
// file or cannot be written.
bool PrepareHistoryFile(const std::string& path);
