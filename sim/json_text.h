// A small streaming writer of JSON, for writing an installation in one pass without building a
// document first: pretty-printed (two-blank indent) as the site file is written back, or in the
// compact layout of snapshots.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/escaping.h"

namespace sim {

class JsonText {
 public:
  enum class Layout {
    Indented,  // every member and item on a line of its own, indented by two blanks a level
    // Members and items separated by ", " on one line; an object in a list, and a member after
    // BreakLine, starts a new line (unindented).
    Compact,
  };
  explicit JsonText(Layout layout = Layout::Indented, const EscapeStyle& escapes = kJsonEscapes)
      : layout(layout), escapes(escapes) {}

  void BeginObject();
  void EndObject();
  void BeginList();
  void EndList();
  // The key of the next value inside an object.
  void Key(std::string_view key);
  void Text(std::string_view text);
  void Number(int64_t number);
  void Boolean(bool value);
  // In the compact layout: the next member or item starts a new line.
  void BreakLine() { lineBreak = true; }

  // A whole list of texts, or an object of texts, as one value.
  void Texts(const std::vector<std::string>& texts);

  // The text written so far, ending in a line feed once the outermost value is closed.
  const std::string& str() const { return out; }

 private:
  // Separates the value to come from the one before it; an object is one.
  void BeforeValue(bool object = false);
  void Close(char bracket);
  void Newline();

  struct Open {
    bool empty = true;
    bool list = false;
  };
  Layout layout;
  const EscapeStyle& escapes;
  std::string out;
  std::vector<Open> open;
  bool afterKey = false;
  bool lineBreak = false;
};

// text as a JSON string literal, quotes included. text must be valid UTF-8.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace sim
