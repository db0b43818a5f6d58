// The site reader's SAX handler: checks each value against the schema as the parser reports it
// and builds the entries directly. Internal to the simulator: site_reader.cpp holds the parser's
// events and the structure of the file, site_values.cpp what each value and object must be.
#pragma once

#include <array>
#include <string>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "sim/model.h"
#include "sim/site_fields.h"

namespace sim::sax {

using Json = nlohmann::json;

// What kind of value a frame of the reader's stack is.
enum class Frame { Top, Users, Unreachable, Rules, Rule, Nodes, Node, Properties, Texts, Reconfig };

inline bool IsList(Frame frame) {
  return frame == Frame::Unreachable || frame == Frame::Rules || frame == Frame::Nodes ||
         frame == Frame::Texts;
}

// One scalar value as the parser reports it.
struct Scalar {
  enum Type { Null, Bool, Integer, Float, Text } type = Null;
  bool boolean = false;
  std::optional<int64_t> integer;  // none when out of the range of int64
  std::string* text = nullptr;
};

struct Level {
  Frame frame;
  std::string key;  // object frames: the key whose value is being read
  std::optional<Field> field;
  uint64_t seen = 0;       // fields met in this object, one bit each
  size_t count = 0;        // list frames: elements started so far
  Kind kind = Kind::Root;  // Node and Nodes frames
  std::shared_ptr<Entry> entry;
  std::vector<std::string> texts;                               // Texts frames
  std::vector<std::pair<std::string, std::string>> properties;  // Properties frames, as read
  std::unordered_set<std::string> keys;  // large Properties frames: the keys read so far
  Rule rule;
};

// A target that holds nothing but an address, a community, liveness and a small properties object
// of texts, every value of the right type and every key once: nearly every node of a large file.
// The texts point into the file's text, or into the parser's copy of a text with escapes.
struct PlainTarget {
  std::string_view ipaddr;
  std::array<uint8_t, 4> address;  // ipaddr's numbers
  std::optional<std::string_view> community;
  std::optional<bool> alive;
  TextMap::Texts properties;  // in key order
};

// The handler. On failure error holds "<json path>: <problem>" and the handler returns false.
class Reader final : public nlohmann::json_sax<Json> {
 public:
  explicit Reader(std::string& error) : errorText(error), building(std::make_shared<Site>()) {
    building->root = building->NewEntry(Kind::Root);
  }

  std::shared_ptr<Site> TakeSite() { return std::move(building); }

  bool null() override { return OnScalar(Scalar{}); }
  bool boolean(bool value) override {
    Scalar scalar;
    scalar.type = Scalar::Bool;
    scalar.boolean = value;
    return OnScalar(scalar);
  }
  bool number_integer(number_integer_t value) override {
    Scalar scalar;
    scalar.type = Scalar::Integer;
    scalar.integer = value;
    return OnScalar(scalar);
  }
  bool number_unsigned(number_unsigned_t value) override {
    Scalar scalar;
    scalar.type = Scalar::Integer;
    if (value <= static_cast<number_unsigned_t>(INT64_MAX)) scalar.integer = value;
    return OnScalar(scalar);
  }
  bool number_float(number_float_t, const string_t&) override {
    Scalar scalar;
    scalar.type = Scalar::Float;
    return OnScalar(scalar);
  }
  bool string(string_t& value) override {
    if (value.find('\0') != std::string::npos) {
      if (levels.empty() || IsList(levels.back().frame)) {
        return Fail(levels.size(), "must not contain a NUL character");
      }
      return Fail(levels.size() - 1,
                  "\"" + levels.back().key + "\" must not contain a NUL character");
    }
    Scalar scalar;
    scalar.type = Scalar::Text;
    scalar.text = &value;
    return OnScalar(scalar);
  }
  bool binary(binary_t&) override { return Fail(levels.size(), "binary values are not JSON"); }

  // Whether the value about to be read is an element of a DSM's "targets" list.
  bool ReadingTargets() const {
    return !levels.empty() && levels.back().frame == Frame::Nodes &&
           levels.back().kind == Kind::Target;
  }
  // Adds the next element of that list without its events: the entry the events of target would
  // make, or the same error (a target of the DSM with the same identity).
  bool AddTarget(const PlainTarget& target);

  bool key(string_t& key) override;
  bool start_object(std::size_t) override { return OnContainer(true); }
  bool start_array(std::size_t) override { return OnContainer(false); }
  bool end_object() override;
  bool end_array() override;

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    // nlohmann says "[json.exception.parse_error.101] parse error at line 1, column 5: ...".
    std::string message = e.what();
    const std::string marker = "parse error at ";
    size_t at = message.find(marker);
    if (at != std::string::npos) message = message.substr(at + marker.size());
    errorText.clear();
    for (unsigned char c : message) {  // the last token read may hold any byte
      if (c < 0x20 || c >= 0x7F) {
        static const char kHex[] = "0123456789ABCDEF";
        errorText += "\\x";
        errorText += kHex[c >> 4];
        errorText += kHex[c & 15];
      } else {
        errorText += static_cast<char>(c);
      }
    }
    return false;
  }

 private:
  // The JSON path of the value at depth (levels.size() is the value being read now).
  std::string Path(size_t depth) const {
    std::string path;
    for (size_t i = 1; i <= depth && i <= levels.size(); ++i) {
      const Level& outer = levels[i - 1];
      if (IsList(outer.frame)) {
        path += "[" + std::to_string(outer.count == 0 ? 0 : outer.count - 1) + "]";
      } else {
        if (!path.empty()) path += ".";
        path += outer.key;
      }
    }
    return path.empty() ? "top level" : path;
  }

  bool Fail(size_t depth, const std::string& problem) {
    errorText = Path(depth) + ": " + problem;
    return false;
  }
  // A value of the wrong type for the key being read in the innermost object.
  bool WrongType() {
    const Level& level = levels.back();
    const char* expected = level.field ? Expectation(*level.field) : "a text";
    return Fail(levels.size() - 1, "\"" + level.key + "\" must be " + expected);
  }
  bool WrongElement(const char* expected) {
    return Fail(levels.size(), std::string("must be ") + expected);
  }

  bool OnScalar(const Scalar& value);
  bool OnNodeScalar(Level& level, const Scalar& value);
  bool OnContainer(bool object);
  bool FinishNode();
  // Gives a finished entry of kind other than AutoConfig to its owner, the node (or the top level)
  // that holds the list it is in; depth is the entry's own (its list is at depth - 1).
  bool Attach(std::shared_ptr<Entry> entry, size_t depth, std::string key);
  bool FinishTop();

  void Push(Frame frame, Kind kind = Kind::Root) {
    Level level;
    level.frame = frame;
    level.kind = kind;
    if (frame == Frame::Node) level.entry = building->NewEntry(kind);
    levels.push_back(std::move(level));
  }

  std::string& errorText;
  std::shared_ptr<Site> building;
  std::vector<Level> levels;
  std::unordered_set<int32_t> ruleNumbers;
};

}  // namespace sim::sax
