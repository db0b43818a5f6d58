// The site file reader: a handler of JSON events that checks each value against the schema as it
// arrives and builds the entries directly. The events come from a walk over simdjson's parsed
// form, or from nlohmann's parser for text simdjson refuses; the walk hands plain targets (the
// bulk of a large file) to the reader whole, without their events. This file: the events, the
// file's structure and the two ways of producing the events.
#include "sim/site_reader.h"

#include <simdjson.h>

#include <cmath>

#include "sim/identity.h"
#include "sim/site_reader_sax.h"

namespace sim {
namespace sax {
namespace {

// A properties object of up to this many members gets its place in one allocation; a larger
// one grows as it is read, so that a size the parser reports cannot ask for memory in advance.
constexpr std::size_t kReservedProperties = 64;

}  // namespace

bool Reader::key(string_t& key) {
  Level& level = levels.back();
  level.key = key;
  if (key.find('\0') != std::string::npos) {
    return Fail(levels.size() - 1, "a key must not contain a NUL character");
  }
  std::optional<Holder> holder;
  switch (level.frame) {
    case Frame::Top:
      holder = Holder::Top;
      break;
    case Frame::Rule:
      holder = Holder::Rule;
      break;
    case Frame::Node:
      holder = Holder::Node;
      break;
    case Frame::Reconfig:
      holder = Holder::Reconfig;
      break;
    default:
      return true;  // users and properties take any key
  }
  level.field = LookupField(*holder, level.kind, key);
  if (!level.field) return Fail(levels.size() - 1, "unknown key \"" + key + "\"");
  uint64_t bit = uint64_t{1} << static_cast<int>(*level.field);
  if (level.seen & bit) return Fail(levels.size() - 1, "duplicate key \"" + key + "\"");
  level.seen |= bit;
  return true;
}

bool Reader::OnContainer(bool object, std::size_t elements) {
  if (levels.empty()) {
    if (!object) return Fail(0, "must be an object");
    Push(Frame::Top);
    return true;
  }
  Level& level = levels.back();
  if (IsList(level.frame)) {
    ++level.count;
    if (object && level.frame == Frame::Rules) return Push(Frame::Rule), true;
    if (object && level.frame == Frame::Nodes) return Push(Frame::Node, level.kind), true;
    return WrongElement(level.frame == Frame::Rules || level.frame == Frame::Nodes ? "an object"
                                                                                   : "a text");
  }
  if (level.frame == Frame::Users || level.frame == Frame::Properties) {
    return Fail(levels.size() - 1, "\"" + level.key + "\" must be a text");
  }
  const Field field = *level.field;
  if (object) {
    if (field == Field::Users) return Push(Frame::Users), true;
    if (field == Field::Properties) {
      Push(Frame::Properties);
      // One block for all of them when their number is known (a file holds few per entry).
      if (elements != std::size_t(-1) && elements <= kReservedProperties) {
        levels.back().properties.reserve(elements);
      }
      return true;
    }
    if (field == Field::Reconfig) return Push(Frame::Reconfig), true;
    if (field == Field::Autoconfig) return Push(Frame::Node, Kind::AutoConfig), true;
    return WrongType();
  }
  switch (field) {
    case Field::Unreachable:
      Push(Frame::Unreachable);
      return true;
    case Field::Rules:
      Push(Frame::Rules);
      return true;
    case Field::Agents:
      Push(Frame::Nodes, Kind::Agent);
      return true;
    case Field::Brokers:
      Push(Frame::Nodes, Kind::Broker);
      return true;
    case Field::Dsms:
      Push(Frame::Nodes, Kind::Dsm);
      return true;
    case Field::Targets:
      Push(Frame::Nodes, Kind::Target);
      return true;
    case Field::Logs:
    case Field::Commands:
    case Field::Fail:
    case Field::Journal:
    case Field::LogFeed: {
      Push(Frame::Texts);
      levels.back().field = field;
      return true;
    }
    default:
      return WrongType();
  }
}

bool Reader::end_array() {
  Level level = std::move(levels.back());
  levels.pop_back();
  if (level.frame == Frame::Texts) {
    Entry& entry = *levels.back().entry;
    switch (*level.field) {
      case Field::Logs:
        entry.EditDetails().logs = std::move(level.texts);
        break;
      case Field::Commands:
        entry.EditDetails().commands = std::move(level.texts);
        entry.EditDetails().commandsGiven = true;
        break;
      case Field::Fail:
        entry.EditDetails().fail = std::move(level.texts);
        break;
      case Field::Journal:
        entry.EditDetails().journal = std::move(level.texts);
        break;
      case Field::LogFeed:
        entry.EditDetails().logFeed = std::move(level.texts);
        break;
      default:
        break;
    }
  }
  return true;
}

bool Reader::end_object() {
  Level& level = levels.back();
  switch (level.frame) {
    case Frame::Top:
      if (!FinishTop()) return false;
      break;
    case Frame::Node:
      if (!FinishNode()) return false;
      break;
    case Frame::Rule:
      if (!(level.seen & (uint64_t{1} << static_cast<int>(Field::Number)))) {
        return Fail(levels.size() - 1, "\"number\" is missing");
      }
      if (!ruleNumbers.insert(level.rule.number).second) {
        return Fail(levels.size() - 1, "another rule has the same \"number\" (" +
                                           std::to_string(level.rule.number) + ")");
      }
      building->rules.push_back(std::move(level.rule));
      break;
    case Frame::Reconfig:
      levels[levels.size() - 2].entry->EditDetails().reconfig.present = true;
      break;
    case Frame::Properties: {
      TextMap::Texts texts;
      texts.reserve(level.properties.size());
      for (const auto& [key, value] : level.properties) texts.emplace_back(key, value);
      levels[levels.size() - 2].entry->properties.Assign(texts);
      break;
    }
    default:
      break;
  }
  levels.pop_back();
  return true;
}

}  // namespace sax

namespace {

// Feeds a document that simdjson has parsed and validated to the reader, value by value in the
// order of the text, as nlohmann's parser would report them, except that an element of a target
// list that ReadPlainTarget accepts goes to the reader whole (Reader::AddTarget). False when the
// reader refused a value (error then says why) or when the document holds a number whose kind the
// parsed form cannot tell (kAmbiguous: "-0" is an integer to nlohmann, "-0.0" a float; both parse
// to -0.0).
enum class Walk { Done, Refused, Ambiguous };

// Reads element as a plain target (see sax::PlainTarget) into target, or false when it is anything
// else: something the events must check or report. Texts hold a NUL character only when the text
// of the file had a \u0000 in it (simdjson refuses raw control characters), so mayHoldNul spares
// the search through each text of a file that has none.
bool ReadPlainTarget(simdjson::dom::element element, bool mayHoldNul, sax::PlainTarget& target) {
  using Type = simdjson::dom::element_type;
  // Properties objects larger than this go through the events, whose duplicate check is linear.
  constexpr size_t kPlainProperties = 16;
  auto text = [mayHoldNul](simdjson::dom::element value, std::string_view& out) {
    if (value.type() != Type::STRING) return false;
    out = std::string_view(value);
    return !mayHoldNul || out.find('\0') == std::string_view::npos;
  };
  auto plainKey = [mayHoldNul](std::string_view key) {
    return !mayHoldNul || key.find('\0') == std::string_view::npos;
  };
  if (element.type() != Type::OBJECT) return false;
  bool hasIpaddr = false, hasProperties = false;
  target.community.reset();
  target.alive.reset();
  target.properties.clear();
  for (simdjson::dom::key_value_pair field : simdjson::dom::object(element)) {
    const std::string_view key = field.key;
    if (key == "ipaddr") {
      if (hasIpaddr || !text(field.value, target.ipaddr)) return false;
      std::optional<std::array<uint8_t, 4>> address = ParseDottedDecimal(target.ipaddr);
      if (!address) return false;
      target.address = *address;
      hasIpaddr = true;
    } else if (key == "community") {
      std::string_view community;
      if (target.community || !text(field.value, community)) return false;
      target.community = community;
    } else if (key == "alive") {
      if (target.alive || field.value.type() != Type::BOOL) return false;
      target.alive = bool(field.value);
    } else if (key == "properties") {
      if (hasProperties || field.value.type() != Type::OBJECT) return false;
      hasProperties = true;
      const simdjson::dom::object properties(field.value);
      if (properties.size() > kPlainProperties) return false;
      for (simdjson::dom::key_value_pair property : properties) {
        std::string_view value;
        if (!plainKey(property.key) || !text(property.value, value)) return false;
        target.properties.emplace_back(property.key, value);
      }
      // In key order, where a key given twice stands out.
      auto& items = target.properties;
      TextMap::SortByKey(items);
      for (size_t at = 1; at < items.size(); ++at) {
        if (items[at].first == items[at - 1].first) return false;
      }
    } else {
      return false;
    }
  }
  return hasIpaddr;
}

class DocumentWalker {
 public:
  DocumentWalker(sax::Reader& reader, bool mayHoldNul) : reader(reader), mayHoldNul(mayHoldNul) {}

  Walk Visit(simdjson::dom::element value) {
    using Type = simdjson::dom::element_type;
    switch (value.type()) {
      case Type::OBJECT: {
        const simdjson::dom::object object(value);
        if (!reader.start_object(object.size())) return Walk::Refused;
        for (simdjson::dom::key_value_pair field : object) {
          key.assign(field.key);
          if (!reader.key(key)) return Walk::Refused;
          if (Walk walk = Visit(field.value); walk != Walk::Done) return walk;
        }
        return reader.end_object() ? Walk::Done : Walk::Refused;
      }
      case Type::ARRAY: {
        if (!reader.start_array(std::size_t(-1))) return Walk::Refused;
        const bool targets = reader.ReadingTargets();
        for (simdjson::dom::element element : simdjson::dom::array(value)) {
          if (targets && ReadPlainTarget(element, mayHoldNul, target)) {
            if (!reader.AddTarget(target)) return Walk::Refused;
            continue;
          }
          if (Walk walk = Visit(element); walk != Walk::Done) return walk;
        }
        return reader.end_array() ? Walk::Done : Walk::Refused;
      }
      case Type::STRING:
        text.assign(std::string_view(value));
        return reader.string(text) ? Walk::Done : Walk::Refused;
      case Type::INT64:
        return reader.number_integer(int64_t(value)) ? Walk::Done : Walk::Refused;
      case Type::UINT64:
        return reader.number_unsigned(uint64_t(value)) ? Walk::Done : Walk::Refused;
      case Type::DOUBLE: {
        const double number = double(value);
        if (number == 0 && std::signbit(number)) return Walk::Ambiguous;
        return reader.number_float(number, noText) ? Walk::Done : Walk::Refused;
      }
      case Type::BOOL:
        return reader.boolean(bool(value)) ? Walk::Done : Walk::Refused;
      case Type::NULL_VALUE:
        return reader.null() ? Walk::Done : Walk::Refused;
    }
    return Walk::Refused;
  }

 private:
  sax::Reader& reader;
  const bool mayHoldNul;
  std::string key, text;    // reused: the reader takes the text out of them
  sax::PlainTarget target;  // reused likewise
  const std::string noText;
};

}  // namespace

// simdjson parses and validates the text at several hundred megabytes a second; the reader then
// checks and builds the entries from the parsed form, in the text's order, so a file that is
// valid JSON gets the same entries and the same first schema error as from nlohmann's events.
// Text that simdjson refuses (not JSON, or beyond its limits) and the rare number whose kind is
// lost in parsing go through nlohmann's parser, whose messages (with line and column) the
// reader's errors quote.
std::shared_ptr<Site> ReadSite(std::string_view text, std::string& error, size_t slack) {
  if (text.empty()) {
    error = "the file is empty";
    return nullptr;
  }
  error.clear();
  try {
    simdjson::dom::parser parser;
    simdjson::dom::element document;
    const bool copy = slack < simdjson::SIMDJSON_PADDING;
    if (parser.parse(text.data(), text.size(), copy).get(document) == simdjson::SUCCESS) {
      sax::Reader reader(error);
      const bool mayHoldNul = text.find("\\u0000") != std::string_view::npos;
      switch (DocumentWalker(reader, mayHoldNul).Visit(document)) {
        case Walk::Done:
          return reader.TakeSite();
        case Walk::Refused:
          if (error.empty()) error = "cannot read the installation";
          return nullptr;
        case Walk::Ambiguous:
          error.clear();
          break;
      }
    }
  } catch (const std::exception& e) {  // e.g. out of memory; never let it cross initAPI
    error = std::string("cannot read the installation: ") + e.what();
    return nullptr;
  }
  return ReadSiteThroughEvents(text, error);
}

// nlohmann's parser over the whole text: the reader sees exactly the events and, for text that
// is not JSON, the parse error with its position that the messages quote.
std::shared_ptr<Site> ReadSiteThroughEvents(std::string_view text, std::string& error) {
  if (text.empty()) {
    error = "the file is empty";
    return nullptr;
  }
  error.clear();
  sax::Reader reader(error);
  bool ok = false;
  try {
    ok = sax::Json::sax_parse(text.data(), text.data() + text.size(), &reader);
  } catch (const std::exception& e) {  // e.g. out of memory; never let it cross initAPI
    error = std::string("cannot read the installation: ") + e.what();
    return nullptr;
  }
  if (!ok) {
    if (error.empty()) error = "cannot read the installation";
    return nullptr;
  }
  return reader.TakeSite();
}

}  // namespace sim
