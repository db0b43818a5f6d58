// The site file reader: a SAX handler over nlohmann's parser that checks each value against the
// schema as it arrives and builds the entries directly, without an intermediate document, so that
// loading costs one pass over the text. This file: the parser's events and the file's structure.
#include "sim/site_reader.h"

#include "sim/site_reader_sax.h"

namespace sim {
namespace sax {

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
      case Field::LogFeed: entry.logFeed = std::move(level.texts); break;
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

}  // namespace sax

std::shared_ptr<Site> ReadSite(std::string_view text, std::string& error) {
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
