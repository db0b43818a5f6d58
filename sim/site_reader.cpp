// The site file reader: a handler of JSON events that checks each value against the schema as it
// arrives and builds the entries directly. The events come from a walk over the text with
// simdjson's On-Demand iteration, or from nlohmann's parser whenever that walk cannot finish; the
// walk hands plain targets (the bulk of a large file) to the reader whole, without their events.
// This file: the events, the file's structure and the two ways of producing the events.
#include "sim/site_reader.h"

#include <simdjson.h>

#include <cstring>

#include "sim/identity.h"
#include "sim/in_place_text.h"
#include "sim/site_reader_sax.h"

namespace sim {
namespace sax {

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

bool Reader::OnContainer(bool object) {
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
    if (field == Field::Properties) return Push(Frame::Properties), true;
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

namespace ondemand = simdjson::ondemand;

// A key's text, likewise.
bool ReadKey(ondemand::field& field, std::string_view& out, bool& escaped) {
  const char* content = field.key().raw();
  const char* closing = ClosingQuote(content, escaped);
  if (!escaped) {
    out = std::string_view(content, static_cast<size_t>(closing - content));
    return true;
  }
  return field.unescaped_key().get(out) == simdjson::SUCCESS;
}

// A text or key of a plain target: one without a NUL character.
bool ReadPlainText(ondemand::value& value, std::string_view& out) {
  bool escaped = false;
  return ReadText(value, out, escaped) && !(escaped && out.find('\0') != std::string_view::npos);
}
bool ReadPlainKey(ondemand::field& field, std::string_view& out) {
  bool escaped = false;
  return ReadKey(field, out, escaped) && !(escaped && out.find('\0') != std::string_view::npos);
}

// Whether the key whose text begins at content is the known one, written without an escape: its
// text then ends in the quote after it. A shorter key is compared into what follows it, which the
// document or its padding holds.
template <size_t N>
bool IsKnownKey(const char* content, const char (&known)[N]) {
  return std::memcmp(content, known, N - 1) == 0 && content[N - 1] == '"';
}

// Reads an element of a target list as a plain target (see sax::PlainTarget) into target, or false
// when it is anything else: something the events must check or report.
bool ReadPlainTarget(ondemand::object& object, sax::PlainTarget& target) {
  // Properties objects larger than this go through the events, whose duplicate check is linear.
  constexpr size_t kPlainProperties = 16;
  bool hasIpaddr = false, hasProperties = false;
  target.community.reset();
  target.alive.reset();
  target.properties.clear();
  for (auto member : object) {
    ondemand::field field;
    if (std::move(member).get(field)) return false;
    // A key written with an escape is none of these: the events read it.
    const char* key = field.key().raw();
    ondemand::value& value = field.value();
    if (IsKnownKey(key, "ipaddr")) {
      if (hasIpaddr || !ReadPlainText(value, target.ipaddr)) return false;
      std::optional<std::array<uint8_t, 4>> address = ParseDottedDecimal(target.ipaddr);
      if (!address) return false;
      target.address = *address;
      hasIpaddr = true;
    } else if (IsKnownKey(key, "community")) {
      std::string_view community;
      if (target.community || !ReadPlainText(value, community)) return false;
      target.community = community;
    } else if (IsKnownKey(key, "alive")) {
      bool alive = false;
      if (target.alive || value.get_bool().get(alive)) return false;
      target.alive = alive;
    } else if (IsKnownKey(key, "properties")) {
      ondemand::object properties;
      if (hasProperties || value.get_object().get(properties)) return false;
      hasProperties = true;
      for (auto item : properties) {
        ondemand::field property;
        std::string_view name, content;
        if (std::move(item).get(property) || !ReadPlainKey(property, name) ||
            !ReadPlainText(property.value(), content) ||
            target.properties.size() == kPlainProperties) {
          return false;
        }
        target.properties.emplace_back(name, content);
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

// Feeds the text that simdjson iterates to the reader, value by value in the order of the text,
// as nlohmann's parser would report them, except that an element of a target list that
// ReadPlainTarget accepts goes to the reader whole (Reader::AddTarget). simdjson checks the text
// only as far as the walk reads it, so false means only that the walk could not finish: the
// reader or simdjson refused a value, or a value is one whose events the walk cannot tell; the
// caller then reads the whole text through the events, whose first error is the one to report.
class TextWalker {
 public:
  // padded: the text simdjson iterates, with simdjson's padding after it.
  TextWalker(sax::Reader& reader, std::string_view padded) : reader(reader), padded(padded) {}

  // Walks a document whose top is an object: the file, or the text of one target. Nothing may
  // follow that object.
  bool Walk(ondemand::document& document) {
    ondemand::json_type type;
    ondemand::object top;
    const char* rest = nullptr;
    if (document.type().get(type) || type != ondemand::json_type::object ||
        document.get_object().get(top) || !VisitObject(top)) {
      return false;
    }
    // The location is past the end only when nothing follows.
    return document.current_location().get(rest) == simdjson::OUT_OF_BOUNDS;
  }

 private:
  bool Visit(ondemand::value& value) {
    ondemand::json_type type;
    if (value.type().get(type)) return false;
    switch (type) {
      case ondemand::json_type::object: {
        ondemand::object object;
        return !value.get_object().get(object) && VisitObject(object);
      }
      case ondemand::json_type::array: {
        ondemand::array array;
        return !value.get_array().get(array) && VisitArray(array);
      }
      case ondemand::json_type::string: {
        std::string_view content;
        bool escaped = false;
        if (!ReadText(value, content, escaped)) return false;
        scratch.assign(content);
        return reader.string(scratch);
      }
      case ondemand::json_type::number:
        return VisitNumber(value);
      case ondemand::json_type::boolean: {
        bool truth = false;
        return !value.get_bool().get(truth) && reader.boolean(truth);
      }
      case ondemand::json_type::null: {
        bool null = false;
        return !value.is_null().get(null) && null && reader.null();
      }
    }
    return false;
  }

  bool VisitObject(ondemand::object& object) {
    // nlohmann's parser does not count the members either.
    if (!reader.start_object(std::size_t(-1))) return false;
    for (auto member : object) {
      ondemand::field field;
      std::string_view name;
      bool escaped = false;
      if (std::move(member).get(field) || !ReadKey(field, name, escaped)) return false;
      scratch.assign(name);
      if (!reader.key(scratch) || !Visit(field.value())) return false;
    }
    return reader.end_object();
  }

  bool VisitArray(ondemand::array& array) {
    if (!reader.start_array(std::size_t(-1))) return false;
    const bool targets = reader.ReadingTargets();
    for (auto item : array) {
      ondemand::value element;
      if (item.get(element) || !(targets ? VisitTarget(element) : Visit(element))) return false;
    }
    return reader.end_array();
  }

  // An element of a target list: whole to the reader when it is plain. Else ReadPlainTarget may
  // have read part of it, which a forward-only walk cannot read again: its text (a few hundred
  // bytes, as a rule) is iterated again from its start as a document of its own.
  bool VisitTarget(ondemand::value& element) {
    ondemand::object object;
    if (element.get_object().get(object)) return Visit(element);
    if (ReadPlainTarget(object, target)) return reader.AddTarget(target);
    std::string_view elementText;
    ondemand::document document;
    if (object.raw_json().get(elementText)) return false;
    // What follows the element in the buffer may be read as its padding.
    const size_t room = static_cast<size_t>(padded.data() + padded.size() - elementText.data()) +
                        simdjson::SIMDJSON_PADDING;
    return !elementParser.iterate(elementText.data(), elementText.size(), room).get(document) &&
           Walk(document);
  }

  // nlohmann's parser reports a number by its text: with a fraction or an exponent it is a float;
  // else an integer in the range of int64 (when negative) or uint64, and beyond them a float. "-0"
  // is thus the integer 0 and "-0.0" a float, which simdjson's value alone would not tell.
  bool VisitNumber(ondemand::value& value) {
    const std::string_view token = value.raw_json_token();
    ondemand::number number;
    if (value.get_number().get(number)) return false;
    const bool integral = token.find_first_of(".eE") == std::string_view::npos;
    switch (number.get_number_type()) {
      case ondemand::number_type::signed_integer:
        return integral && reader.number_integer(number.get_int64());
      case ondemand::number_type::unsigned_integer:
        return integral && reader.number_unsigned(number.get_uint64());
      case ondemand::number_type::floating_point_number:
        // simdjson refuses integers beyond uint64 and numbers beyond a double's range.
        return !integral && reader.number_float(number.get_double(), noText);
    }
    return false;
  }

  sax::Reader& reader;
  const std::string_view padded;
  ondemand::parser elementParser;  // for targets that are not plain
  std::string scratch;             // reused: the reader takes the text out of it
  sax::PlainTarget target;         // reused likewise
  const std::string noText;        // the reader does not look at a float's text
};

}  // namespace

// simdjson's On-Demand iteration reads the text in place, without building a parsed form of it,
// and the walk hands the values to the reader in the text's order, so a file that is JSON gets
// the same entries as from nlohmann's events. Whenever the walk cannot finish, the text is read
// again through nlohmann's events alone: its first error, JSON or schema, is the one reported
// (the walk checks the text only as far as it has read, so an error it meets may come after
// another in the text), with the line and column that the messages quote.
std::shared_ptr<Site> ReadSite(std::string_view text, std::string& error, size_t slack) {
  if (text.empty()) {
    error = "the file is empty";
    return nullptr;
  }
  error.clear();
  try {
    ondemand::parser parser;
    ondemand::document document;
    simdjson::padded_string copy;
    std::string_view padded = text;
    if (slack < simdjson::SIMDJSON_PADDING) {
      copy = simdjson::padded_string(text);
      padded = copy;
    }
    if (parser.iterate(padded, padded.size() + simdjson::SIMDJSON_PADDING).get(document) ==
        simdjson::SUCCESS) {
      sax::Reader reader(error);
      if (TextWalker(reader, padded).Walk(document)) return reader.TakeSite();
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
