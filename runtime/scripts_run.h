// The script files that this process has run, for a saved plan: which files it was made from and
// what they held.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ScriptRun {
  std::string path;                   // absolute, links resolved
  std::optional<std::string> sha256;  // of the text that ran; none when it was not a file's copy
};

// Whether NoteScriptRun digests the text of each file: off until a saved plan is wanted, since a
// digest is a pass over the whole script before its first line runs.
void DigestScriptRuns(bool on);

// Notes that the script file path started with text (its private copy; none when it is read as
// a stream). A file already noted keeps what it was noted with first, so that a file included
// many times is digested once.
void NoteScriptRun(const std::string& path, std::optional<std::string_view> text);

// Every file noted, in the order they first started.
const std::vector<ScriptRun>& ScriptsRun();
