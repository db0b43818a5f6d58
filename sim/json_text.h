// A small streaming writer of pretty-printed JSON (two-blank indent), for writing sites back in
// one pass without building a document first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class JsonText {
 public:
  void BeginObject();
  void EndObject();
  void BeginList();
  void EndList();
  // The key of the next value inside an object.
  void Key(std::string_view key);
  void Text(std::string_view text);
  void Number(int64_t number);
  void Boolean(bool value);

  // A whole list of texts, or an object of texts, as one value.
  void Texts(const std::vector<std::string>& texts);

  // The text written so far, ending in a line feed once the outermost value is closed.
  const std::string& str() const { return out_; }

 private:
  void BeforeValue();
  void Close(char bracket);
  void Newline();

  struct Open {
    bool empty = true;
  };
  std::string out_;
  std::vector<Open> open_;
  bool afterKey_ = false;
};

// text as a JSON string literal, quotes included. text must be valid UTF-8.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace sim
