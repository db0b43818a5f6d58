// The site file reader: a SAX handler over nlohmann's parser that checks each value against the
// schema as it arrives and builds the entries directly, without an intermediate document, so that
// loading costs one pass over the text.
#include "sim/site_reader.h"

#include <nlohmann/json.hpp>

#include <unordered_set>

#include "sim/identity.h"
#include "sim/site_fields.h"

namespace sim {
namespace {

using Json = nlohmann::json;

// What kind of value a frame of the reader's stack is.
enum class Frame { Top, Users, Unreachable, Rules, Rule, Nodes, Node, Properties, Texts, Reconfig };

bool IsList(Frame frame) {
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
  std::string key;          // object frames: the key whose value is being read
  std::optional<Field> field;
  uint64_t seen = 0;        // fields met in this object, one bit each
  size_t count = 0;         // list frames: elements started so far
  Kind kind = Kind::Root;   // Node and Nodes frames
  std::shared_ptr<Entry> entry;
  std::vector<std::string> texts;  // Texts frames
  Rule rule;
};

class Reader final : public nlohmann::json_sax<Json> {
 public:
  explicit Reader(std::string& error) : error_(error), site_(std::make_shared<Site>()) {
    site_->root = site_->NewEntry(Kind::Root);
  }

  std::shared_ptr<Site> TakeSite() { return std::move(site_); }

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
      return Fail(stack_.size(), "a text must not contain a NUL character");
    }
    Scalar scalar;
    scalar.type = Scalar::Text;
    scalar.text = &value;
    return OnScalar(scalar);
  }
  bool binary(binary_t&) override { return Fail(stack_.size(), "binary values are not JSON"); }

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
    error_.clear();
    for (unsigned char c : message) {  // the last token read may hold any byte
      if (c < 0x20 || c >= 0x7F) {
        static const char kHex[] = "0123456789ABCDEF";
        error_ += "\\x";
        error_ += kHex[c >> 4];
        error_ += kHex[c & 15];
      } else {
        error_ += static_cast<char>(c);
      }
    }
    return false;
  }

 private:
  // The JSON path of the value at depth (stack_.size() is the value being read now).
  std::string Path(size_t depth) const {
    std::string path;
    for (size_t i = 1; i <= depth && i <= stack_.size(); ++i) {
      const Level& outer = stack_[i - 1];
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
    error_ = Path(depth) + ": " + problem;
    return false;
  }
  // A value of the wrong type for the key being read in the innermost object.
  bool WrongType() {
    const Level& level = stack_.back();
    const char* expected = level.field ? Expectation(*level.field) : "a text";
    return Fail(stack_.size() - 1, "\"" + level.key + "\" must be " + expected);
  }
  bool WrongElement(const char* expected) {
    return Fail(stack_.size(), std::string("must be ") + expected);
  }

  bool OnScalar(const Scalar& value);
  bool OnNodeScalar(Level& level, const Scalar& value);
  bool OnContainer(bool object);
  bool FinishNode();
  bool FinishTop();

  void Push(Frame frame, Kind kind = Kind::Root) {
    Level level;
    level.frame = frame;
    level.kind = kind;
    if (frame == Frame::Node) level.entry = site_->NewEntry(kind);
    stack_.push_back(std::move(level));
  }

  std::string& error_;
  std::shared_ptr<Site> site_;
  std::vector<Level> stack_;
  std::unordered_set<int32_t> ruleNumbers_;
};

bool Reader::key(string_t& key) {
  Level& level = stack_.back();
  level.key = key;
  if (key.find('\0') != std::string::npos) {
    return Fail(stack_.size() - 1, "a key must not contain a NUL character");
  }
  std::optional<Holder> holder;
  switch (level.frame) {
    case Frame::Top: holder = Holder::Top; break;
    case Frame::Rule: holder = Holder::Rule; break;
    case Frame::Node: holder = Holder::Node; break;
    case Frame::Reconfig: holder = Holder::Reconfig; break;
    default: return true;  // users and properties take any key
  }
  level.field = LookupField(*holder, level.kind, key);
  if (!level.field) return Fail(stack_.size() - 1, "unknown key \"" + key + "\"");
  uint64_t bit = uint64_t{1} << static_cast<int>(*level.field);
  if (level.seen & bit) return Fail(stack_.size() - 1, "duplicate key \"" + key + "\"");
  level.seen |= bit;
  return true;
}

bool Reader::OnScalar(const Scalar& value) {
  if (stack_.empty()) return Fail(0, "must be an object");
  Level& level = stack_.back();
  if (IsList(level.frame)) ++level.count;
  const bool text = value.type == Scalar::Text;
  switch (level.frame) {
    case Frame::Texts:
      if (!text) return WrongElement("a text");
      if (level.field == Field::Fail && !IsFailableOperation(*value.text)) {
        return Fail(stack_.size(), "\"" + *value.text + "\" is not an operation that can fail");
      }
      level.texts.push_back(std::move(*value.text));
      return true;
    case Frame::Unreachable:
      if (!text) return WrongElement("a text");
      site_->unreachableKeys.insert(LowerAscii(*value.text));
      site_->unreachable.push_back(std::move(*value.text));
      return true;
    case Frame::Rules:
    case Frame::Nodes: return WrongElement("an object");
    case Frame::Users:
    case Frame::Properties: {
      if (!text) return Fail(stack_.size() - 1, "\"" + level.key + "\" must be a text");
      auto& map = level.frame == Frame::Users ? site_->users : stack_[stack_.size() - 2].entry->properties;
      if (!map.emplace(level.key, std::move(*value.text)).second) {
        return Fail(stack_.size() - 1, "duplicate key \"" + level.key + "\"");
      }
      return true;
    }
    case Frame::Top:
      if (level.field == Field::Format) {
        if (value.type != Scalar::Integer || value.integer != 1) return WrongType();
        return true;
      }
      if (level.field == Field::Server && text) {
        site_->server = std::move(*value.text);
        return true;
      }
      return WrongType();
    case Frame::Rule:
      if (level.field == Field::Number && value.type == Scalar::Integer && value.integer &&
          *value.integer >= INT32_MIN && *value.integer <= INT32_MAX) {
        level.rule.number = static_cast<int32_t>(*value.integer);
        return true;
      }
      if (level.field == Field::Description && text) {
        if (value.text->find_first_of("\r\n") != std::string::npos) {
          return Fail(stack_.size() - 1, "\"description\" must not contain a line break");
        }
        level.rule.description = std::move(*value.text);
        return true;
      }
      return WrongType();
    case Frame::Reconfig: {
      Reconfig& reconfig = stack_[stack_.size() - 2].entry->reconfig;
      const bool whole = value.type == Scalar::Integer && value.integer.has_value();
      const int64_t number = whole ? *value.integer : 0;
      switch (*level.field) {
        case Field::Polls:
        case Field::Pending:
          if (!whole || number < 0 || number > 1000000000) return WrongType();
          (level.field == Field::Polls ? reconfig.polls : reconfig.pending) = number;
          return true;
        case Field::Result:
          if (!whole || number < INT32_MIN || number > INT32_MAX) return WrongType();
          reconfig.result = number;
          return true;
        case Field::Ran:
          if (value.type != Scalar::Bool) return WrongType();
          reconfig.ran = value.boolean;
          return true;
        default: return WrongType();
      }
    }
    case Frame::Node: return OnNodeScalar(level, value);
  }
  return WrongType();
}

bool Reader::OnNodeScalar(Level& level, const Scalar& value) {
  Entry& entry = *level.entry;
  const bool text = value.type == Scalar::Text;
  switch (*level.field) {
    case Field::Ipaddr:
      if (!text || !IsDottedDecimal(*value.text)) return WrongType();
      entry.ipaddr = std::move(*value.text);
      return true;
    case Field::Port:
      if (value.type != Scalar::Integer || !value.integer || *value.integer < 0 ||
          *value.integer > 65535) {
        return WrongType();
      }
      entry.port = static_cast<uint16_t>(*value.integer);
      return true;
    case Field::Alive:
    case Field::Local:
      if (value.type != Scalar::Bool) return WrongType();
      (level.field == Field::Alive ? entry.alive : entry.local) = value.boolean;
      return true;
    case Field::Password:
    case Field::Version:
    case Field::Name:
    case Field::Community:
      if (!text) return WrongType();
      if (level.field == Field::Password) entry.password = std::move(*value.text);
      if (level.field == Field::Version) entry.version = std::move(*value.text);
      if (level.field == Field::Name) entry.name = std::move(*value.text);
      if (level.field == Field::Community) entry.community = std::move(*value.text);
      return true;
    default: return WrongType();
  }
}

bool Reader::OnContainer(bool object) {
  if (stack_.empty()) {
    if (!object) return Fail(0, "must be an object");
    Push(Frame::Top);
    return true;
  }
  Level& level = stack_.back();
  if (IsList(level.frame)) {
    ++level.count;
    if (object && level.frame == Frame::Rules) return Push(Frame::Rule), true;
    if (object && level.frame == Frame::Nodes) return Push(Frame::Node, level.kind), true;
    return WrongElement(level.frame == Frame::Rules || level.frame == Frame::Nodes ? "an object"
                                                                                    : "a text");
  }
  if (level.frame == Frame::Users || level.frame == Frame::Properties) {
    return Fail(stack_.size() - 1, "\"" + level.key + "\" must be a text");
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
    case Field::Unreachable: Push(Frame::Unreachable); return true;
    case Field::Rules: Push(Frame::Rules); return true;
    case Field::Agents: Push(Frame::Nodes, Kind::Agent); return true;
    case Field::Brokers: Push(Frame::Nodes, Kind::Broker); return true;
    case Field::Dsms: Push(Frame::Nodes, Kind::Dsm); return true;
    case Field::Targets: Push(Frame::Nodes, Kind::Target); return true;
    case Field::Logs:
    case Field::Commands:
    case Field::Fail:
    case Field::Journal:
    case Field::LogFeed: {
      Push(Frame::Texts);
      stack_.back().field = field;
      return true;
    }
    default: return WrongType();
  }
}

bool Reader::end_array() {
  Level level = std::move(stack_.back());
  stack_.pop_back();
  if (level.frame == Frame::Texts) {
    Entry& entry = *stack_.back().entry;
    switch (*level.field) {
      case Field::Logs: entry.logs = std::move(level.texts); break;
      case Field::Commands:
        entry.commands = std::move(level.texts);
        entry.commandsGiven = true;
        break;
      case Field::Fail: entry.fail = std::move(level.texts); break;
      case Field::Journal: entry.journal = std::move(level.texts); break;
      case Field::LogFeed: entry.logFeed.assign(level.texts.begin(), level.texts.end()); break;
      default: break;
    }
  }
  return true;
}

bool Reader::end_object() {
  Level& level = stack_.back();
  switch (level.frame) {
    case Frame::Top:
      if (!FinishTop()) return false;
      break;
    case Frame::Node:
      if (!FinishNode()) return false;
      break;
    case Frame::Rule:
      if (!(level.seen & (uint64_t{1} << static_cast<int>(Field::Number)))) {
        return Fail(stack_.size() - 1, "\"number\" is missing");
      }
      if (!ruleNumbers_.insert(level.rule.number).second) {
        return Fail(stack_.size() - 1,
                    "another rule has the same \"number\" (" + std::to_string(level.rule.number) + ")");
      }
      site_->rules.push_back(std::move(level.rule));
      break;
    case Frame::Reconfig: stack_[stack_.size() - 2].entry->reconfig.present = true; break;
    default: break;
  }
  stack_.pop_back();
  return true;
}

bool Reader::FinishTop() {
  const Level& level = stack_.back();
  for (Field required : {Field::Format, Field::Server, Field::Agents}) {
    if (!(level.seen & (uint64_t{1} << static_cast<int>(required)))) {
      const char* name = required == Field::Format ? "format"
                         : required == Field::Server ? "server" : "agents";
      return Fail(0, std::string("\"") + name + "\" is missing");
    }
  }
  if (!(level.seen & (uint64_t{1} << static_cast<int>(Field::Users)))) site_->users["root"] = "";
  return true;
}

bool Reader::FinishNode() {
  const size_t depth = stack_.size() - 1;
  Level& level = stack_.back();
  std::shared_ptr<Entry> entry = level.entry;
  auto has = [&level](Field field) { return (level.seen & (uint64_t{1} << static_cast<int>(field))) != 0; };
  if ((entry->kind == Kind::Agent || entry->kind == Kind::Target) && !has(Field::Ipaddr)) {
    return Fail(depth, "\"ipaddr\" is missing");
  }
  // The defaults that the engine assumes for a broker address and a DSM name.
  if (entry->kind == Kind::Broker && !has(Field::Ipaddr)) entry->ipaddr = "127.0.0.1";
  if (entry->kind == Kind::Dsm && !has(Field::Name)) entry->name = "dsm1";
  if (!entry->commandsGiven) entry->commands = DefaultCommands(entry->kind);

  if (entry->kind == Kind::AutoConfig) {
    Entry& broker = *stack_[depth - 1].entry;
    entry->parent = &broker;
    broker.autoconfig = std::move(entry);
    return true;
  }
  // The owner is the node (or the top level) that holds the list this node is in.
  Entry& owner = depth >= 2 && stack_[depth - 2].frame == Frame::Node ? *stack_[depth - 2].entry
                                                                       : *site_->root;
  if (entry->kind == Kind::Broker && entry->local) {
    if (!owner.localBroker.expired()) {
      return Fail(depth, "only one broker of an agent may be \"local\"");
    }
    owner.localBroker = entry;
  }
  entry->parent = &owner;
  if (!owner.children.Append(IdentityKey(*entry), entry)) {
    switch (entry->kind) {
      case Kind::Agent:
        return Fail(depth, "another agent has the same \"ipaddr\" and \"port\" (" + entry->ipaddr +
                               ":" + std::to_string(entry->port) + ")");
      case Kind::Broker:
        return Fail(depth, "another broker of this agent has the same \"ipaddr\" and \"port\" (" +
                               entry->ipaddr + ":" + std::to_string(entry->port) + ")");
      case Kind::Dsm:
        return Fail(depth, "another DSM of this broker has the same \"name\" (" + entry->name +
                               ", compared ignoring case)");
      default:
        return Fail(depth, "another target of this DSM has the same \"ipaddr\" and \"community\" (" +
                               entry->ipaddr + ", " + entry->community + ")");
    }
  }
  return true;
}

}  // namespace

std::shared_ptr<Site> ReadSite(std::string_view text, std::string& error) {
  if (text.empty()) {
    error = "the file is empty";
    return nullptr;
  }
  error.clear();
  Reader reader(error);
  bool ok = false;
  try {
    ok = Json::sax_parse(text.data(), text.data() + text.size(), &reader);
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
